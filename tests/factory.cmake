# The factory module PelFact.dll, the DLL registry file reader, and the test component modules
# that the factory tests load through it.
pelok_add_module(PelTest SOURCES support/test_component_module.cpp LIBS pelok_platform)
pelok_add_module(PelBare SOURCES support/test_bare_module.cpp)

pelok_add_test(dll_registry_file_test SOURCES dll_registry_file_test.cpp LIBS pelok_dll_registry)

foreach(name factory_allocator_test factory_component_test factory_trace_test
             factory_idle_unload_test)
  pelok_add_test(${name} SOURCES ${name}.cpp support/factory_module.cpp)
  add_dependencies(${name} PelFact PelTest PelBare)
endforeach()

# The factory module exports its four entry points and nothing else.
pelok_check_module_interface(PelFact)
