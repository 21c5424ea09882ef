# Reliability: the registry against a reference model under random use, crash safety of the
# store file, faults injected into the platform layer, several threads at once.

# The modules every scenario below loads from the bin directory.
function(pelok_needs_modules name)
  foreach(module PelReg PelFact PelXml)
    if(TARGET ${module})
      add_dependencies(${name} ${module})
    endif()
  endforeach()
endfunction()

pelok_add_test(model_registry_test
  SOURCES model_registry_test.cpp model_runner.cpp model_registry.cpp model_store.cpp
          model_operations.cpp
  LIBS pelok_pugixml
  NO_MAIN)
target_compile_definitions(model_registry_test PRIVATE
  PELOK_MODEL_REPLAY_DIR="${CMAKE_CURRENT_SOURCE_DIR}/model_replays")
pelok_needs_modules(model_registry_test)
