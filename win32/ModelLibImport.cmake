# msModelLibImport: the import library the plug-in DLLs link, made from our
# own list of the model library's calls (msModelLib.def). Inside the modeller
# it binds to the modeller's msModelLib.dll; in the tests to ours.
set(KALTRIX_MODELLIB_DEF ${CMAKE_SOURCE_DIR}/win32/msModelLib.def)
set(KALTRIX_MODELLIB_IMPORT ${CMAKE_BINARY_DIR}/libmsModelLib-import.a)
add_custom_command(OUTPUT ${KALTRIX_MODELLIB_IMPORT}
  COMMAND ${CMAKE_DLLTOOL} -d ${KALTRIX_MODELLIB_DEF} -D msModelLib.dll -l ${KALTRIX_MODELLIB_IMPORT}
  DEPENDS ${KALTRIX_MODELLIB_DEF}
  COMMENT "Import library of msModelLib.dll from msModelLib.def")
add_custom_target(msModelLibImportFile DEPENDS ${KALTRIX_MODELLIB_IMPORT})
add_library(msModelLibImport INTERFACE)
add_dependencies(msModelLibImport msModelLibImportFile)
target_link_libraries(msModelLibImport INTERFACE ${KALTRIX_MODELLIB_IMPORT})
target_include_directories(msModelLibImport INTERFACE ${CMAKE_SOURCE_DIR})
