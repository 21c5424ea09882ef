# Host programs that load the framework themselves, run as child processes.
add_executable(pelok_exit_order_host host_programs/exit_order_host.cpp)
target_link_libraries(pelok_exit_order_host PRIVATE pelok_loader pelok_test_support)
target_include_directories(pelok_exit_order_host PRIVATE ${PROJECT_SOURCE_DIR})

# Built where no Pelok.ini lies beside it: it learns the DLL registry file from its argument only.
add_executable(pelok_factory_only_host host_programs/factory_only_host.cpp)
target_link_libraries(pelok_factory_only_host PRIVATE pelok_platform pelok_public_headers)
target_include_directories(pelok_factory_only_host PRIVATE ${PROJECT_SOURCE_DIR})
set_target_properties(pelok_factory_only_host PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PELOK_BIN_DIR}/solo)

pelok_add_test(host_programs_test SOURCES host_programs_test.cpp LIBS pelreg_test_runner)
add_dependencies(host_programs_test pelok_exit_order_host pelok_factory_only_host
                 PelReg PelFact PelXml)
