# cmake -DSOURCE_DIR=<source root> -DBINARY_DIR=<build folder> -P CoverageReport.cmake
# The line coverage of each of the product's sources (not the tests', benchmarks' or fuzz
# targets'), from the .gcda files that the last test run left, and the total. Run by the target
# "coverage" of a PELOK_COVERAGE build (build preset linux-coverage-report).
file(GLOB_RECURSE gcda_files ${BINARY_DIR}/*.gcda)
if(NOT gcda_files)
  message(FATAL_ERROR "no coverage data under ${BINARY_DIR}: run the tests first "
                      "(ctest --preset linux-coverage)")
endif()

set(covered_files)
foreach(gcda ${gcda_files})
  get_filename_component(object_dir ${gcda} DIRECTORY)
  # -n: the summary only, no .gcov files; a header seen by several objects is counted per object
  # and the best count kept below.
  execute_process(COMMAND gcov -n -o ${object_dir} ${gcda}
                  WORKING_DIRECTORY ${BINARY_DIR}
                  OUTPUT_VARIABLE out ERROR_QUIET RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    continue()
  endif()
  string(REGEX MATCHALL "File '[^']+'\nLines executed:[0-9.]+% of [0-9]+" entries "${out}")
  foreach(entry ${entries})
    string(REGEX MATCH "File '([^']+)'\nLines executed:([0-9.]+)% of ([0-9]+)" _ "${entry}")
    set(path ${CMAKE_MATCH_1})
    set(percent ${CMAKE_MATCH_2})
    set(lines ${CMAKE_MATCH_3})
    file(RELATIVE_PATH relative ${SOURCE_DIR} ${path})
    if(relative MATCHES "^\\.\\./" OR relative MATCHES "^(tests|bench|fuzz|third_party|build)/")
      continue()
    endif()
    # gcov prints two decimals; count executed lines from them, rounded.
    string(REPLACE "." "" hundredths "${percent}")
    math(EXPR executed "(${hundredths} * ${lines} + 5000) / 10000")
    string(MAKE_C_IDENTIFIER "${relative}" id)
    if(NOT DEFINED best_${id} OR executed GREATER best_${id})
      set(best_${id} ${executed})
      set(lines_${id} ${lines})
    endif()
    list(APPEND covered_files ${relative})
  endforeach()
endforeach()

list(REMOVE_DUPLICATES covered_files)
list(SORT covered_files)
set(total_lines 0)
set(total_executed 0)
foreach(relative ${covered_files})
  string(MAKE_C_IDENTIFIER "${relative}" id)
  math(EXPR total_lines "${total_lines} + ${lines_${id}}")
  math(EXPR total_executed "${total_executed} + ${best_${id}}")
  message("${best_${id}}/${lines_${id}} lines  ${relative}")
endforeach()
if(total_lines EQUAL 0)
  message(FATAL_ERROR "no line of the product's sources in the coverage data")
endif()
math(EXPR total_percent "(${total_executed} * 100) / ${total_lines}")
message("total: ${total_executed} of ${total_lines} lines executed (${total_percent}%)")
