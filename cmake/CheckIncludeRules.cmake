# Fails when a file includes a header its folder may not include (see IncludeRules.txt), or when
# a folder of the product has no rule. Run as:
#   cmake -DSOURCE_DIR=<tree> -DRULES=<rules file> [-DEXEMPT=<folder;...>] -P CheckIncludeRules.cmake
# An include counts when its first folder is one the rules know ("store/key_path.h"); the system's
# and third parties' headers ("sys/stat.h", "pugixml.hpp") are no business of the rules.

cmake_minimum_required(VERSION 3.20)

file(STRINGS "${RULES}" rule_lines REGEX "^[a-z_/]+:")
set(folders)
set(known_prefixes)
foreach(line IN LISTS rule_lines)
  string(REGEX MATCH "^([a-z_/]+):(.*)$" _ "${line}")
  set(folder "${CMAKE_MATCH_1}")
  string(STRIP "${CMAKE_MATCH_2}" allowed)
  separate_arguments(allowed UNIX_COMMAND "${allowed}")
  list(APPEND folders ${folder})
  set(allowed_${folder} ${allowed})
  # A folder's own headers are named from its last part ("include/pelok" -> "pelok/...").
  get_filename_component(own ${folder} NAME)
  set(own_${folder} ${own})
  list(APPEND known_prefixes ${own})
endforeach()

set(problems)

# Every top folder holding code is a product folder with a rule, or one exempt (tests, tools of
# the build).
file(GLOB top_entries RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*")
foreach(entry IN LISTS top_entries)
  if(NOT IS_DIRECTORY "${SOURCE_DIR}/${entry}" OR entry IN_LIST EXEMPT OR entry MATCHES "^\\.")
    continue()
  endif()
  file(GLOB_RECURSE code "${SOURCE_DIR}/${entry}/*.h" "${SOURCE_DIR}/${entry}/*.cpp")
  if(NOT code)
    continue()
  endif()
  set(covered FALSE)
  foreach(folder IN LISTS folders)
    if(folder STREQUAL entry OR folder MATCHES "^${entry}/")
      set(covered TRUE)
    endif()
  endforeach()
  if(NOT covered)
    list(APPEND problems "${entry}/ holds code but has no line in ${RULES}")
  endif()
endforeach()

foreach(folder IN LISTS folders)
  file(GLOB_RECURSE files RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/${folder}/*.h"
       "${SOURCE_DIR}/${folder}/*.cpp")
  foreach(file IN LISTS files)
    file(STRINGS "${SOURCE_DIR}/${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    set(number 0)
    file(STRINGS "${SOURCE_DIR}/${file}" all_lines)
    foreach(line IN LISTS lines)
      string(REGEX MATCH "[<\"]([^>\"]+)[>\"]" _ "${line}")
      set(header "${CMAKE_MATCH_1}")
      string(REGEX MATCH "^[^/]+" prefix "${header}")
      if(NOT header MATCHES "/" OR NOT prefix IN_LIST known_prefixes)
        continue()
      endif()
      if(prefix STREQUAL own_${folder} OR prefix IN_LIST allowed_${folder}
         OR header IN_LIST allowed_${folder})
        continue()
      endif()
      list(FIND all_lines "${line}" index)
      math(EXPR number "${index} + 1")
      list(JOIN allowed_${folder} " " may)
      if(may STREQUAL "")
        set(may "nothing but its own headers")
      endif()
      list(APPEND problems "${file}:${number}: includes ${header}, but ${folder}/ may include ${may}")
    endforeach()
  endforeach()
endforeach()

if(problems)
  list(JOIN problems "\n  " shown)
  message(FATAL_ERROR "include rules broken:\n  ${shown}")
endif()
list(LENGTH folders count)
message(STATUS "include rules kept in ${count} folders")
