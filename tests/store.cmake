# The persistent store: key paths, root paths, trace lines and file steps on their own, then
# the store component and the registry's stored keys through the real modules.
pelok_add_test(store_key_path_test SOURCES store_key_path_test.cpp LIBS pelok_core)
pelok_add_test(root_path_test SOURCES root_path_test.cpp LIBS pelok_core)
pelok_add_test(trace_test SOURCES trace_test.cpp LIBS pelok_core)
pelok_add_test(store_file_test SOURCES store_file_test.cpp LIBS pelok_core)

# Each of these loads PelReg.dll from the bin directory as a host program does. The root path
# and the trace settings are taken once per process, so those scenarios have programs of their
# own.
foreach(name
    store_component_test
    store_names_test
    registry_code_page_test
    store_open_test
    store_hostile_file_test
    persistence_roundtrip_test
    persistence_file_format_test
    persistence_recovery_test
    persistence_root_path_test
    persistence_trace_test)
  pelok_add_test(${name} SOURCES ${name}.cpp persistence_host.cpp LIBS pelok_pugixml)
  foreach(module PelReg PelFact PelXml)
    if(TARGET ${module})
      add_dependencies(${name} ${module})
    endif()
  endforeach()
endforeach()
# Under Wine the ANSI code page follows the locale: GBK makes B0 a lead byte.
if(WIN32)
  set_tests_properties(registry_code_page_test PROPERTIES ENVIRONMENT LC_ALL=zh_CN.GBK)
endif()

# One store file written by host programs holding it, parallel pelreg commands and readers, all
# at once: nothing lost, nothing half seen.
pelok_add_test(store_sharing_test
  SOURCES store_sharing_test.cpp model_store.cpp model_store_file.cpp pelreg_runner.cpp
  LIBS pelok_pugixml NO_MAIN)
add_dependencies(store_sharing_test pelreg PelReg PelFact PelXml)

# A document component of another maker, whose reserved slots the store must never call.
pelok_add_module(PelForeignXml SOURCES support/foreign_xml_module.cpp LIBS pelok_platform)
pelok_add_test(store_foreign_document_test
  SOURCES store_foreign_document_test.cpp persistence_host.cpp)
add_dependencies(store_foreign_document_test PelReg PelFact PelXml PelForeignXml)
