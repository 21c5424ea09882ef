# The XML document module PelXml.dll, loaded for real by every test.
foreach(behaviour module navigation buffer file_format text_round_trip element_name failed_load
        held_file save value_enumeration name_index)
  pelok_add_test(xml_document_${behaviour}_test
                 SOURCES xml_document_${behaviour}_test.cpp LIBS pelok_pugixml)
  add_dependencies(xml_document_${behaviour}_test PelXml)
endforeach()

# The module exports its three entry points and nothing else.
if(WIN32)
  add_test(NAME PelXml_binary_interface
           COMMAND ${CMAKE_COMMAND} -DDLL=$<TARGET_FILE:PelXml> -DFORMAT=pe
                   -DTOOL=i686-w64-mingw32-objdump
                   -P ${PROJECT_SOURCE_DIR}/xmldoc/check_exports.cmake)
else()
  add_test(NAME PelXml_binary_interface
           COMMAND ${CMAKE_COMMAND} -DDLL=$<TARGET_FILE:PelXml> -DFORMAT=elf -DTOOL=nm
                   -P ${PROJECT_SOURCE_DIR}/xmldoc/check_exports.cmake)
endif()
