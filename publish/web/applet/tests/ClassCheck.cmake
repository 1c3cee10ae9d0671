# The build's class file check must refuse what a Java 1.1 machine cannot
# load: another class file format, a class that came after Java 1.1, and a
# later member of a Java 1.1 class.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

function(expect_refused name source compiler expected)
  set(dir "${WORK}/${name}")
  file(MAKE_DIRECTORY "${dir}")
  file(WRITE "${dir}/${name}.java" "${source}")
  if(compiler STREQUAL "javac")
    execute_process(COMMAND "${JAVAC}" --release 8 -d "${dir}" "${dir}/${name}.java"
                    COMMAND_ERROR_IS_FATAL ANY)
  else()
    execute_process(COMMAND "${ECJ}" -1.3 -target 1.1 -nowarn -d "${dir}" "${dir}/${name}.java"
                    COMMAND_ERROR_IS_FATAL ANY)
  endif()
  execute_process(
    COMMAND "${JAVA}" "${TOOLS}/ClassFileCheck.java" "${TOOLS}/java1.1-api.txt" "${dir}/${name}.class"
    RESULT_VARIABLE status ERROR_VARIABLE errors)
  if(status EQUAL 0 OR NOT errors MATCHES "${expected}")
    message(FATAL_ERROR "${name}: not refused as expected (${expected}): ${status} ${errors}")
  endif()
endfunction()

expect_refused(NewFormat "class NewFormat { int f() { return 1; } }\n"
               javac "class file format 52.0, not 45.3")
expect_refused(NewClass
               "class NewClass { Object f() { return new java.util.ArrayList(); } }\n"
               ecj "refers to java/util/ArrayList")
expect_refused(NewMember
               "class NewMember { float f(String s) { return Float.parseFloat(s); } }\n"
               ecj "uses java/lang/Float.parseFloat")

# And the archive's own classes pass.
file(ARCHIVE_EXTRACT INPUT "${BUILT}" DESTINATION "${WORK}/built" PATTERNS "*.class")
file(GLOB built_classes "${WORK}/built/*.class")
execute_process(
  COMMAND "${JAVA}" "${TOOLS}/ClassFileCheck.java" "${TOOLS}/java1.1-api.txt" ${built_classes}
  COMMAND_ERROR_IS_FATAL ANY)
