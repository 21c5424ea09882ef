# The registry components.
pelok_add_test(key_table_test SOURCES key_table_test.cpp registry_fakes.cpp LIBS pelok_core)
pelok_add_test(memory_key_values_test SOURCES memory_key_values_test.cpp LIBS pelok_core)
# Content blocks come from the real allocator.
if(TARGET PelFact)
  add_dependencies(memory_key_values_test PelFact)
endif()

# The registry as a host program uses it, through PelReg.dll and PelFact.dll.
foreach(scenario keys values lifetime bad_input stored_keys)
  pelok_add_test(register_front_${scenario}_test
                 SOURCES register_front_${scenario}_test.cpp registry_front_fixture.cpp)
  foreach(module PelReg PelFact PelXml)
    if(TARGET ${module})
      add_dependencies(register_front_${scenario}_test ${module})
    endif()
  endforeach()
endforeach()
pelok_add_test(registry_stored_key_values_test SOURCES registry_stored_key_values_test.cpp
               LIBS pelok_core)
# This program is its own factory module (it exports CreateComponent).
pelok_add_test(registry_memory_values_allocation_test
               SOURCES registry_memory_values_allocation_test.cpp LIBS pelok_core)
set_target_properties(registry_memory_values_allocation_test PROPERTIES ENABLE_EXPORTS ON)
