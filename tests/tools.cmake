# pelreg and the host-program example, run as child processes the way a user runs them.
pelok_add_library(pelreg_test_runner pelreg_runner.cpp)
target_link_libraries(pelreg_test_runner PUBLIC pelok_test_support)

foreach(name pelreg_values_test pelreg_tree_test pelreg_errors_test example_host_test)
  pelok_add_test(${name} SOURCES ${name}.cpp LIBS pelreg_test_runner)
  add_dependencies(${name} pelreg PelReg PelFact PelXml)
endforeach()
add_dependencies(example_host_test pelok_host_example)
