# Shared by the mingw-w64 toolchain files; KALTRIX_MINGW_PREFIX names the
# compiler triple.
set(CMAKE_SYSTEM_NAME Windows)

# The posix thread variant: std::thread and std::mutex need it.
set(CMAKE_C_COMPILER ${KALTRIX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KALTRIX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KALTRIX_MINGW_PREFIX}-windres)
set(CMAKE_DLLTOOL ${KALTRIX_MINGW_PREFIX}-dlltool)

set(CMAKE_FIND_ROOT_PATH /usr/${KALTRIX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# SSE arithmetic rounds every float and double operation as the Linux build
# does; the x87 default keeps extra precision and would change output bytes.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
# Fully static: the libraries need nothing beside them but system DLLs (and
# the modeller's model library).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
