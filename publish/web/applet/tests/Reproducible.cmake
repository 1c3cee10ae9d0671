# Builds the archive again, elsewhere, later and in another time zone, and
# requires the very bytes of the built one.
set(ENV{TZ} "Pacific/Kiritimati")
execute_process(
  COMMAND "${CMAKE_COMMAND}" "-DECJ=${ECJ}" "-DJAVA=${JAVA}" "-DSOURCE_DIR=${SOURCE_DIR}"
          "-DWORK=${WORK}/classes" "-DOUTPUT=${WORK}/decoder.jar" -P "${SOURCE_DIR}/BuildJar.cmake"
  COMMAND_ERROR_IS_FATAL ANY)

file(SHA256 "${BUILT}" built)
file(SHA256 "${WORK}/decoder.jar" rebuilt)
if(NOT built STREQUAL rebuilt)
  message(FATAL_ERROR "decoder.jar built twice from the same sources differs:\n"
                      "  ${BUILT}\n  ${WORK}/decoder.jar")
endif()
