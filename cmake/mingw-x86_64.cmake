# The same Windows sources built 64-bit, for running the Windows tests under
# a 64-bit emulator where 32-bit programs cannot run:
#   cmake -S . -B build-win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake
set(KALTRIX_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
# thiscall, which the plug-in object's slots declare for the 32-bit modeller,
# has no meaning on 64-bit: g++ would warn at every use.
string(APPEND CMAKE_CXX_FLAGS_INIT " -Wno-attributes")
