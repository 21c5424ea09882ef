# The XML document module PelXml.dll, loaded for real by every test.
foreach(behaviour module navigation buffer file_format text_round_trip element_name failed_load
        held_file save value_enumeration name_index name_table unchanged_save)
  pelok_add_test(xml_document_${behaviour}_test
                 SOURCES xml_document_${behaviour}_test.cpp LIBS pelok_pugixml)
  add_dependencies(xml_document_${behaviour}_test PelXml)
endforeach()

# The module exports its three entry points and nothing else.
pelok_check_module_interface(PelXml)
