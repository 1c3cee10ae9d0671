# Locks the sample page with nemora-cli, reads it back, and compares; then
# checks that a wrong password is refused with a failing exit status.
file(MAKE_DIRECTORY "${WORK}")
set(data "${WORK}/sample.zvk")
set(back "${WORK}/sample.back.html")

execute_process(COMMAND "${CLI}" lock "${PAGE}" "${data}" -p "pass word" -e UTF8
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "lock failed: ${status}")
endif()

execute_process(COMMAND "${CLI}" unlock "${data}" -p "pass word" -o "${back}"
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "unlock failed: ${status}")
endif()

file(SHA256 "${PAGE}" expected)
file(SHA256 "${back}" actual)
if(NOT expected STREQUAL actual)
  message(FATAL_ERROR "the page read back differs from the page locked")
endif()

execute_process(COMMAND "${CLI}" unlock "${data}" -p "wrong" -o "${back}.wrong"
                RESULT_VARIABLE status ERROR_VARIABLE err)
if(status EQUAL 0 OR NOT err MATCHES "wrong password")
  message(FATAL_ERROR "a wrong password was not refused: ${status} ${err}")
endif()
