# cmake -DDLL=PelReg.dll -DOBJDUMP=... -P CheckModuleInterface.cmake
# Fails unless the DLL exports exactly the seven entry points, undecorated, and imports only
# Windows system DLLs.
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${DLL}")
endif()

string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n(.*)" table "${dump}")
string(REGEX MATCHALL "\\[ *[0-9]+\\] [A-Za-z0-9_@?$]+" rows "${CMAKE_MATCH_1}")
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
