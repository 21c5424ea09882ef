# Finding the framework: component references, the child holder and the factory module loader,
# against a factory module that records what it is asked (bin/fake/PelFact.dll, with its own
# DLL registry file beside it).
pelok_add_module(RecordingFactory SOURCES support/recording_factory_module.cpp LIBS pelok_platform)
set_target_properties(RecordingFactory PROPERTIES
  OUTPUT_NAME PelFact
  RUNTIME_OUTPUT_DIRECTORY ${PELOK_BIN_DIR}/fake
  LIBRARY_OUTPUT_DIRECTORY ${PELOK_BIN_DIR}/fake)
file(WRITE ${PELOK_BIN_DIR}/fake/Pelok.ini "[361]\nDLL=PelFact.dll\n")

pelok_add_test(framework_chain_test SOURCES framework_chain_test.cpp)
add_dependencies(framework_chain_test PelReg RecordingFactory PelBare)
pelok_add_test(framework_reference_test SOURCES framework_reference_test.cpp LIBS pelok_core)
add_dependencies(framework_reference_test RecordingFactory)
