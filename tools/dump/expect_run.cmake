# Runs the inspector once and checks its exit status and output:
#   cmake -DDUMP=... -DARGS="a|b" -DEXPECT_RC=n [-DEXPECT_MATCH=regex] [-DEXPECT_FILE=path]
#         [-DEMULATOR=scripts/wine-run.sh] -P expect_run.cmake
# The arguments are separated by '|', since a ';' would not survive add_test.
# EMULATOR runs the Windows build (under Wine).
string(REPLACE "|" ";" ARGS "${ARGS}")
execute_process(COMMAND ${EMULATOR} ${DUMP} ${ARGS} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(EMULATOR)
  string(REPLACE "\r\n" "\n" out "${out}")  # stdout is a text stream on Windows
endif()
if(NOT rc STREQUAL "${EXPECT_RC}")
  message(FATAL_ERROR "exit status ${rc}, expected ${EXPECT_RC}\n${out}${err}")
endif()
if(DEFINED EXPECT_MATCH AND NOT out MATCHES "${EXPECT_MATCH}")
  message(FATAL_ERROR "output does not match '${EXPECT_MATCH}':\n${out}${err}")
endif()
if(DEFINED EXPECT_FILE)
  file(READ ${EXPECT_FILE} expected)
  if(NOT out STREQUAL expected)
    file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/actual_dump.txt "${out}")
    message(FATAL_ERROR "output differs from ${EXPECT_FILE}; it is in ${CMAKE_CURRENT_BINARY_DIR}/actual_dump.txt")
  endif()
endif()
