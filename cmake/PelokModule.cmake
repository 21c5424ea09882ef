# pelok_add_module(NAME SOURCES... LIBS...): a component module. Modules keep their Windows file
# names (NAME.dll) on every system, so that one DLL registry file names them everywhere.
function(pelok_add_module name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} SHARED ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES PREFIX "" SUFFIX ".dll" OUTPUT_NAME ${name})
  if(WIN32)
    # Keep the import library out of the way; nothing links against the modules.
    set_target_properties(${name} PROPERTIES IMPORT_PREFIX "lib" IMPORT_SUFFIX ".dll.a")
  else()
    # A module's references to its own symbols stay inside it, whoever else exports them.
    target_link_options(${name} PRIVATE -Wl,--no-undefined -Wl,-Bsymbolic)
  endif()
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/include)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} ${PELOK_PLATFORM_LIBS})
endfunction()

# pelok_add_library(NAME SOURCES...): a static library of shared code.
function(pelok_add_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/include)
endfunction()
