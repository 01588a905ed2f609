# Fails unless a stand-in library exports nothing but its C interface (names
# starting with PREFIX) and the standard library's type information; any
# other export could clash with the other stand-in's copy of the engine.
# Usage: cmake -DNM=<nm> -DLIBRARY=<file> -DPREFIX=<prefix> -P check_exports.cmake

execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
  OUTPUT_VARIABLE listing RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${NM} could not list ${LIBRARY}")
endif()

string(REPLACE "\n" ";" lines "${listing}")
set(api_count 0)
foreach(line IN LISTS lines)
  if(NOT line MATCHES "^[0-9a-fA-F]* *[A-Za-z] +([^ ]+)$")
    continue()
  endif()
  set(name "${CMAKE_MATCH_1}")
  if(name MATCHES "^${PREFIX}")
    math(EXPR api_count "${api_count} + 1")
  elseif(NOT name MATCHES "^_ZT[ISV]N?St")
    message(SEND_ERROR "${LIBRARY} exports ${name}")
  endif()
endforeach()
if(api_count EQUAL 0)
  message(FATAL_ERROR "${LIBRARY} exports none of its ${PREFIX}* interface")
endif()
message(STATUS "${LIBRARY}: ${api_count} ${PREFIX}* exports, nothing else of its own")
