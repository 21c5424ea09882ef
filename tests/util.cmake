pelok_add_test(bounded_string_test SOURCES bounded_string_test.cpp LIBS pelok_util)
pelok_add_test(path_test SOURCES path_test.cpp LIBS pelok_util)
pelok_add_test(value_encoding_test SOURCES value_encoding_test.cpp LIBS pelok_util)
