# cmake -DDLL=PelReg.dll -DOBJDUMP=... -P CheckModuleInterface.cmake
# Fails unless the DLL exports exactly the seven entry points, undecorated, and imports only
# Windows system DLLs.
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${DLL}")
endif()

# The name table runs from its heading to the first blank line.
string(FIND "${dump}" "[Ordinal/Name Pointer] Table" start)
string(SUBSTRING "${dump}" ${start} -1 table)
string(FIND "${table}" "\n\n" stop)
string(SUBSTRING "${table}" 0 ${stop} table)
string(REGEX MATCHALL "\\[ *[0-9]+\\] [A-Za-z0-9_@?$]+" rows "${table}")
set(names)
foreach(row ${rows})
  string(REGEX REPLACE "\\[ *[0-9]+\\] " "" name "${row}")
  list(APPEND names ${name})
endforeach()
list(SORT names)
set(expected CreateComponent GetComponentIDs PelokDllCanUnloadNow PelokDllFreeMap
             PelokSetDllSafe SetDLLRegistry SetFactoryHandle)
if(NOT names STREQUAL expected)
  message(FATAL_ERROR "exports of ${DLL}: '${names}', expected '${expected}'")
endif()

string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
foreach(import ${imports})
  string(REGEX REPLACE "DLL Name: " "" dll "${import}")
  string(TOLOWER "${dll}" dll)
  if(dll MATCHES "libstdc|libgcc|winpthread|libwinpthread")
    message(FATAL_ERROR "${DLL} imports ${dll}")
  endif()
endforeach()
message(STATUS "${DLL}: exports ${names}; imports ${imports}")
