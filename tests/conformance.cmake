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
