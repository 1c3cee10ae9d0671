# Compiles the decoder's sources into Java 1.1 class files, checks them and
# packs them with the pictures into the archive. Run by the build, and by the
# test that rebuilds the archive to show that it is reproducible.
#
# Input variables: ECJ, JAVA, WERROR (ON: warnings fail), SOURCE_DIR (this
# folder), WORK (a folder for the class files, emptied first), OUTPUT (the archive).
cmake_minimum_required(VERSION 3.25)

file(GLOB sources "${SOURCE_DIR}/src/*.java")
file(GLOB pictures "${SOURCE_DIR}/images/*.gif")
list(SORT sources)
list(SORT pictures)

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

# -1.3 -target 1.1: class file format 45.3, string concatenation through
# StringBuffer. Deprecation warnings are about the library of the compiling
# JDK (the applet classes are deprecated there), not about Java 1.1.
set(options -1.3 -target 1.1 -encoding UTF-8 -warn:-deprecation,-removal,-serial)
if(WERROR)
  list(APPEND options -failOnWarning)
endif()
execute_process(COMMAND "${ECJ}" ${options} -d "${WORK}" ${sources} COMMAND_ERROR_IS_FATAL ANY)

file(GLOB classes "${WORK}/*.class")
list(SORT classes)
execute_process(
  COMMAND "${JAVA}" "${SOURCE_DIR}/tools/ClassFileCheck.java" "${SOURCE_DIR}/tools/java1.1-api.txt"
          ${classes}
  COMMAND_ERROR_IS_FATAL ANY)

get_filename_component(output_dir "${OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${output_dir}")
execute_process(
  COMMAND "${JAVA}" "${SOURCE_DIR}/tools/JarWriter.java" "${OUTPUT}" ${classes} ${pictures}
  COMMAND_ERROR_IS_FATAL ANY)
