# pelreg and the host-program example, run as child processes the way a user runs them.
pelok_add_library(pelreg_test_runner pelreg_runner.cpp)
target_link_libraries(pelreg_test_runner PUBLIC pelok_test_support)

set(PELOK_PELREG_TESTS pelreg_values_test pelreg_tree_test pelreg_errors_test
    pelreg_reg_switches_test pelreg_listing_test pelreg_streams_test pelreg_safety_test
    pelreg_names_test pelreg_hostile_store_test)
if(NOT WIN32)
  # The file size limit of a process stands for a full disk; bash and its completion are tried
  # where they run.
  list(APPEND PELOK_PELREG_TESTS pelreg_full_disk_test pelreg_shell_files_test)
endif()
foreach(name ${PELOK_PELREG_TESTS} example_host_test)
  pelok_add_test(${name} SOURCES ${name}.cpp LIBS pelreg_test_runner)
  add_dependencies(${name} pelreg PelReg PelFact PelXml)
endforeach()
target_compile_definitions(pelreg_safety_test PRIVATE PELREG_VERSION="${PROJECT_VERSION}")
if(NOT WIN32)
  target_compile_definitions(pelreg_shell_files_test PRIVATE PELOK_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
endif()
add_dependencies(example_host_test pelok_host_example)
