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
  pelok_layer_root(${name})
  target_link_libraries(${name} PRIVATE pelok_public_headers ${ARG_LIBS} ${PELOK_PLATFORM_LIBS})
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

# pelok_layer_root(TARGET [FOLDER]): TARGET's headers are found as "FOLDER/name.h" by TARGET and
# by whatever links it, and by nobody else. Every folder of the source tree gets an include root
# of its own in the build folder that holds only a link to it, so that a file can include a
# folder's headers only where its target declares the dependency. FOLDER defaults to the top
# folder of the calling CMakeLists.txt. An installed package offers include/ alone.
function(pelok_layer_root target)
  if(ARGC GREATER 1)
    set(folder ${ARGV1})
  else()
    file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
    string(REGEX REPLACE "/.*" "" folder "${folder}")
  endif()
  set(root ${CMAKE_BINARY_DIR}/include_roots/${folder})
  if(NOT EXISTS ${root}/${folder})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE" OR type STREQUAL "SHARED_LIBRARY" OR type STREQUAL "MODULE_LIBRARY")
    target_include_directories(${target} PRIVATE ${root})
  else()
    target_include_directories(${target} PUBLIC $<BUILD_INTERFACE:${root}>)
  endif()
endfunction()

# pelok_add_library(NAME SOURCES...): a static library of one folder of the source tree, with
# that folder's include root and the public headers.
function(pelok_add_library name)
  add_library(${name} STATIC ${ARGN})
  pelok_layer_root(${name})
  target_link_libraries(${name} PUBLIC pelok_public_headers)
endfunction()
