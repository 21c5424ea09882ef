# The XML document module PelXml.dll, loaded for real by every test.
foreach(behaviour module navigation buffer file_format text_round_trip element_name failed_load
        held_file save value_enumeration name_index name_table unchanged_save hostile_file
        deep_nesting)
  pelok_add_test(xml_document_${behaviour}_test
                 SOURCES xml_document_${behaviour}_test.cpp LIBS pelok_pugixml)
  add_dependencies(xml_document_${behaviour}_test PelXml)
endforeach()

# Several documents of one file; the test holds the file's lock itself, as another process would.
if(WIN32)
  set(pelok_lock_source ${PROJECT_SOURCE_DIR}/xmldoc/store_file_lock_windows.cpp)
else()
  set(pelok_lock_source ${PROJECT_SOURCE_DIR}/xmldoc/store_file_lock_posix.cpp)
endif()
pelok_add_test(xml_document_shared_file_test
  SOURCES xml_document_shared_file_test.cpp ${pelok_lock_source}
          ${PROJECT_SOURCE_DIR}/xmldoc/document_file.cpp
          ${PROJECT_SOURCE_DIR}/xmldoc/content_hash.cpp
  LIBS pelok_pugixml pelok_platform)
add_dependencies(xml_document_shared_file_test PelXml)

# The module exports its three entry points and its marker, and nothing else.
pelok_check_module_interface(PelXml)

# The escapes on their own.
pelok_add_test(xml_escape_test
  SOURCES xml_escape_test.cpp ${PROJECT_SOURCE_DIR}/xmldoc/xml_escape.cpp
          ${PROJECT_SOURCE_DIR}/xmldoc/xml_name.cpp)

# The journal beside a store file, through the module; the test also reads and marks journals
# itself, as a fold killed at a given moment would leave them.
pelok_add_test(xml_document_journal_test
  SOURCES xml_document_journal_test.cpp
          ${PROJECT_SOURCE_DIR}/xmldoc/store_journal.cpp
          ${PROJECT_SOURCE_DIR}/xmldoc/edit_log.cpp
          ${PROJECT_SOURCE_DIR}/xmldoc/child_name_index.cpp
          ${PROJECT_SOURCE_DIR}/xmldoc/document_file.cpp
          ${PROJECT_SOURCE_DIR}/xmldoc/content_hash.cpp
          ${PROJECT_SOURCE_DIR}/xmldoc/xml_serializer.cpp
          ${PROJECT_SOURCE_DIR}/xmldoc/xml_escape.cpp
          ${PROJECT_SOURCE_DIR}/xmldoc/xml_name.cpp
  LIBS pelok_pugixml pelok_platform)
add_dependencies(xml_document_journal_test PelXml)
