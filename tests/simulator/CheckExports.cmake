# Checks the export table of ice_ipcsdk.dll with the mingw objdump:
#   cmake -DOBJDUMP=<objdump> -DDLL=<ice_ipcsdk.dll> -P CheckExports.cmake
# The DLL must export exactly the seven functions under their plain names (no "_" prefix, no
# "@N" suffix) and must not import a mingw runtime DLL (it is linked statically).
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${DLL} failed (${result})")
endif()

get_filename_component(name ${DLL} NAME)
if(NOT name STREQUAL "ice_ipcsdk.dll")
  message(FATAL_ERROR "the library is named ${name}, not ice_ipcsdk.dll")
endif()

# The names in "[Ordinal/Name Pointer] Table", one "[   n] NAME" line each.
string(FIND "${dump}" "[Ordinal/Name Pointer] Table" start)
if(start EQUAL -1)
  message(FATAL_ERROR "no export name table in ${DLL}")
endif()
string(SUBSTRING "${dump}" ${start} -1 table)
string(REGEX MATCHALL "\n[\t ]+\\[ *[0-9]+\\] [^\n]*" lines "${table}")
set(exports)
foreach(line IN LISTS lines)
  string(REGEX REPLACE "^\n[\t ]+\\[ *[0-9]+\\] " "" export "${line}")
  list(APPEND exports "${export}")
endforeach()
list(SORT exports)
set(expected ICE_IPCSDK_BroadcastGroup ICE_IPCSDK_Close ICE_IPCSDK_Fini ICE_IPCSDK_GetStatus
             ICE_IPCSDK_Init ICE_IPCSDK_OpenPreview ICE_IPCSDK_TransSerialPort)
if(NOT exports STREQUAL expected)
  message(FATAL_ERROR "exports of ${DLL}:\n  ${exports}\nexpected:\n  ${expected}")
endif()

string(REGEX MATCHALL "DLL Name: [^\n]*" imports "${dump}")
foreach(import IN LISTS imports)
  string(TOLOWER "${import}" lower)
  if(lower MATCHES "libgcc|libstdc|libwinpthread|libssp")
    message(FATAL_ERROR "${DLL} needs a mingw runtime DLL: ${import}")
  endif()
endforeach()
message(STATUS "${name}: ${exports}")
