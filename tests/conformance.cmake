# Conformance of the binary interfaces: the real modules loaded from the bin directory as a host
# program loads them, their components created through the CreateComponent export and driven
# through their slots.
foreach(name
    conformance_storage_provider_test
    conformance_register_core_test
    conformance_store_test)
  pelok_add_test(${name} SOURCES ${name}.cpp)
  foreach(module PelReg PelFact PelXml)
    if(TARGET ${module})
      add_dependencies(${name} ${module})
    endif()
  endforeach()
endforeach()

# The front without the framework, and the leak report at unload; only the module is needed.
pelok_add_test(conformance_front_test SOURCES conformance_front_test.cpp)
add_dependencies(conformance_front_test PelReg)
# The leak report is made of an instance left alive on purpose.
if(PELOK_SANITIZERS MATCHES "address")
  set_tests_properties(conformance_front_test PROPERTIES ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0")
endif()
