# The string table's ids by name, made from res/strings.txt when the build is
# configured: each id is written once, in that list, and code names it
# (engine::TextId). The engine's result codes take their ids from here too.
# Configure time rather than a build tool, so the engine needs nothing built
# before it; editing the list configures again.
set(nemora_text_list "${PROJECT_SOURCE_DIR}/res/strings.txt")
set_property(DIRECTORY "${PROJECT_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  "${nemora_text_list}")
file(READ "${nemora_text_list}" nemora_text_lines)
# Only each line's "id<TAB>Name<TAB>" is read: the texts may hold ';'.
string(REGEX MATCHALL "\n[0-9]+\t[^\t\n]*\t" nemora_text_entries "\n${nemora_text_lines}")
string(REGEX MATCHALL "\n[0-9]" nemora_text_numbered "\n${nemora_text_lines}")
list(LENGTH nemora_text_entries nemora_text_named)
list(LENGTH nemora_text_numbered nemora_text_count)
if(NOT nemora_text_named EQUAL nemora_text_count)
  message(FATAL_ERROR "${nemora_text_list}: every line needs id, tab, Name, tab, text")
endif()
set(nemora_text_enum "")
foreach(entry IN LISTS nemora_text_entries)
  if(NOT entry MATCHES "^\n([0-9]+)\t([A-Z][A-Za-z0-9]*)\t$")
    message(FATAL_ERROR "${nemora_text_list}: a name is not an identifier: ${entry}")
  endif()
  string(APPEND nemora_text_enum "    ${CMAKE_MATCH_2} = ${CMAKE_MATCH_1},\n")
endforeach()

set(nemora_text_include "${PROJECT_BINARY_DIR}/generated/include")
set(nemora_text_header_text "// Made from res/strings.txt by cmake/NemoraTextIds.cmake; do not edit.
#pragma once

#include <cstdint>

namespace nemora::engine {

// The string table's ids by name (res/strings.txt).
enum class TextId : std::uint32_t {
${nemora_text_enum}};

// The number the string table and the progress protocol take.
constexpr std::uint32_t StringId(TextId id) {
    return static_cast<std::uint32_t>(id);
}

}  // namespace nemora::engine
")
# Written only when it changes, so a reconfigure rebuilds nothing needlessly.
file(CONFIGURE OUTPUT "${nemora_text_include}/engine/TextId.h" CONTENT "${nemora_text_header_text}"
  @ONLY)

# Every target may name a text: the header comes with the build flags.
target_include_directories(nemora_build_flags INTERFACE "${nemora_text_include}")
