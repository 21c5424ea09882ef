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
          model_store_file.cpp model_operations.cpp
  LIBS pelok_pugixml
  NO_MAIN)
target_compile_definitions(model_registry_test PRIVATE
  PELOK_MODEL_REPLAY_DIR="${CMAKE_CURRENT_SOURCE_DIR}/model_replays")
pelok_needs_modules(model_registry_test)

# The whole registry in one executable, with its own factory, so that the faults injected into
# this executable's platform layer and allocations reach every component.
if(NOT WIN32)
  get_target_property(pelok_xml_sources PelXml SOURCES)
  list(FILTER pelok_xml_sources EXCLUDE REGEX "module_exports")
  list(TRANSFORM pelok_xml_sources PREPEND ${PROJECT_SOURCE_DIR}/xmldoc/)
  pelok_add_library(pelok_in_process_registry fault_registry_host.cpp ${pelok_xml_sources})
  target_link_libraries(pelok_in_process_registry PUBLIC pelok_factory pelok_pugixml)
  # pelok_core is an object library: its objects (the class registrations among them) go into
  # each executable that names it, never into an archive where the linker could drop them.

  pelok_add_test(fault_injection_test
    SOURCES fault_injection_test.cpp fault_memory.cpp model_store.cpp model_store_file.cpp
    LIBS pelok_in_process_registry pelok_core
    NO_VALGRIND)
  set_target_properties(fault_injection_test PROPERTIES ENABLE_EXPORTS ON)
  # Memory that has room for small blocks only: a store file too large for it is no damage.
  pelok_add_test(fault_memory_limit_test
    SOURCES fault_memory_limit_test.cpp fault_memory.cpp
    LIBS pelok_in_process_registry pelok_core
    NO_VALGRIND)
  set_target_properties(fault_memory_limit_test PROPERTIES ENABLE_EXPORTS ON)
  pelok_add_test(fault_scenarios_test SOURCES fault_scenarios_test.cpp
                 LIBS pelok_in_process_registry pelok_core)
  set_target_properties(fault_scenarios_test PROPERTIES ENABLE_EXPORTS ON)
  pelok_add_test(fault_store_lock_test SOURCES fault_store_lock_test.cpp
                 LIBS pelok_in_process_registry pelok_core)
  set_target_properties(fault_store_lock_test PROPERTIES ENABLE_EXPORTS ON)
endif()

# The host's exports from several threads (also under ThreadSanitizer: preset linux-tsan).
pelok_add_test(threads_host_test SOURCES threads_host_test.cpp)
pelok_needs_modules(threads_host_test)
# PelokDllFreeMap against the owner's Destroy, and the DLL registry path against SetDLLRegistry,
# on the module's host built into the test (also under ThreadSanitizer: preset linux-tsan).
pelok_add_test(threads_free_map_test SOURCES threads_free_map_test.cpp LIBS pelok_core)

# A writer process killed at random moments, hundreds of times: the store file is always whole.
# Beside it a second writer whose saves merge; the test reads under the file's lock, as the
# module's documents do.
if(WIN32)
  set(pelok_crash_lock_source ${PROJECT_SOURCE_DIR}/xmldoc/store_file_lock_windows.cpp)
else()
  set(pelok_crash_lock_source ${PROJECT_SOURCE_DIR}/xmldoc/store_file_lock_posix.cpp)
endif()
pelok_add_test(crash_store_test
  SOURCES crash_store_test.cpp model_store.cpp model_store_file.cpp ${pelok_crash_lock_source}
          ${PROJECT_SOURCE_DIR}/xmldoc/document_file.cpp ${PROJECT_SOURCE_DIR}/xmldoc/content_hash.cpp
  LIBS pelok_pugixml pelok_platform NO_MAIN)
pelok_needs_modules(crash_store_test)

# Trace settings naming a file that cannot be opened.
pelok_add_test(fault_missing_trace_test SOURCES fault_missing_trace_test.cpp persistence_host.cpp)
pelok_needs_modules(fault_missing_trace_test)
