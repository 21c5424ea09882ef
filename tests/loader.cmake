# The loader and the C++ layer, on the real modules, as a host program uses them.
foreach(name loader_test registry_layer_test)
  pelok_add_test(${name} SOURCES ${name}.cpp LIBS pelok_loader)
  add_dependencies(${name} PelReg PelFact PelXml)
endforeach()
