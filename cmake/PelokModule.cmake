# pelok_add_module(NAME SOURCES... LIBS... EXPORTS...): a component module exporting exactly the
# named entry points. Modules keep their Windows file names (NAME.dll) on every system, so that
# one DLL registry file names them everywhere.
function(pelok_add_module name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;EXPORTS" ${ARGN})
  add_library(${name} SHARED ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES PREFIX "" SUFFIX ".dll" OUTPUT_NAME ${name})
  if(WIN32)
    # Keep the import library out of the way; nothing links against the modules.
    set_target_properties(${name} PROPERTIES IMPORT_PREFIX "lib" IMPORT_SUFFIX ".dll.a")
  else()
    # A module's references to its own symbols stay inside it, whoever else exports them.
    target_link_options(${name} PRIVATE -Wl,--no-undefined -Wl,-Bsymbolic)
    if(ARG_EXPORTS)
      # Standard library templates carry default visibility; only the entry points may leave.
      list(JOIN ARG_EXPORTS ";\n    " globals)
      set(map ${CMAKE_CURRENT_BINARY_DIR}/${name}.map)
      file(WRITE ${map} "{\n  global:\n    ${globals};\n  local:\n    *;\n};\n")
      target_link_options(${name} PRIVATE -Wl,--version-script=${map})
      set_target_properties(${name} PROPERTIES LINK_DEPENDS ${map})
    endif()
  endif()
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/include)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} ${PELOK_PLATFORM_LIBS})
  set_property(TARGET ${name} PROPERTY PELOK_EXPORTS "${ARG_EXPORTS}")
endfunction()

# pelok_check_module_interface(NAME): a test that the module exports exactly its entry points
# and, on Windows, imports only system DLLs.
function(pelok_check_module_interface name)
  get_target_property(exports ${name} PELOK_EXPORTS)
  if(WIN32)
    set(format pe)
    set(tool i686-w64-mingw32-objdump)
  else()
    set(format elf)
    set(tool nm)
  endif()
  add_test(NAME ${name}_binary_interface
           COMMAND ${CMAKE_COMMAND} -DDLL=$<TARGET_FILE:${name}> -DFORMAT=${format}
                   -DTOOL=${tool} "-DEXPECTED=${exports}"
                   -P ${PROJECT_SOURCE_DIR}/cmake/CheckModuleInterface.cmake)
endfunction()

# pelok_add_library(NAME SOURCES...): a static library of shared code. The source root it
# offers is for the build only: an installed package offers include/ alone.
function(pelok_add_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
                                            $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>)
endfunction()
