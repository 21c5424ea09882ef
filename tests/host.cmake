# The component host and base.
pelok_add_test(host_exports_test SOURCES host_exports_test.cpp)
pelok_add_test(host_leak_report_test SOURCES host_leak_report_test.cpp)
pelok_add_test(component_base_test SOURCES component_base_test.cpp LIBS pelok_core)
foreach(module PelReg PelFact PelXml)
  if(TARGET ${module})
    add_dependencies(host_exports_test ${module})
  endif()
endforeach()
add_dependencies(host_leak_report_test PelReg)

# The module exports exactly its seven entry points and imports only Windows system DLLs.
pelok_check_module_interface(PelReg)

# The leak report test leaves instances alive on purpose: that is what it reports.
if(PELOK_SANITIZERS MATCHES "address")
  set_tests_properties(host_leak_report_test PROPERTIES ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0")
endif()
