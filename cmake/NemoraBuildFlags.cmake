# One interface target that every project target links: language level,
# warnings and the sanitizer switches live here and nowhere else.
add_library(nemora_build_flags INTERFACE)
target_compile_features(nemora_build_flags INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)

target_compile_options(nemora_build_flags INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion
  -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual
  -Wdouble-promotion -Wformat=2 -Wimplicit-fallthrough)

# clang's -Wconversion takes the sign checks along; they belong to nemora_strict.
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  target_compile_options(nemora_build_flags INTERFACE -Wno-sign-conversion)
endif()

if(NEMORA_WERROR)
  target_compile_options(nemora_build_flags INTERFACE -Werror)
endif()

if(NEMORA_SANITIZE)
  target_compile_options(nemora_build_flags INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(nemora_build_flags INTERFACE -fsanitize=address,undefined)
endif()

# A fuzz target is guided only by the edges it can see: every project library
# is built with libFuzzer's coverage hooks, not just the target's own file.
# Only the fuzz targets link libFuzzer itself (-fsanitize=fuzzer, fuzz/); the
# other executables take the hooks' empty defaults from the sanitizer runtime,
# which a fuzz build always links (NEMORA_SANITIZE).
if(NEMORA_BUILD_FUZZERS)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "The fuzz targets need clang (libFuzzer): use the fuzz preset.")
  endif()
  target_compile_options(nemora_build_flags INTERFACE -fsanitize=fuzzer-no-link)
endif()

# Headers are included by their path from the top of the tree ("engine/PageCipher.h").
target_include_directories(nemora_build_flags INTERFACE "${PROJECT_SOURCE_DIR}")

# Product code also checks every signed/unsigned conversion; tests, which
# index with plain ints freely, do not.
add_library(nemora_strict INTERFACE)
target_compile_options(nemora_strict INTERFACE -Wsign-conversion)
