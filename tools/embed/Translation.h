#pragma once

#include <string>

namespace nemora::embed {

// A page in another language, made from its one source at build time so the
// page's logic is never kept twice. `pairs` is a translation file: each pair
// is the source text on lines starting "- " and its translation on the lines
// after it starting "+ " ("-" or "+" alone for an empty line; lines are
// joined with LF). Blank lines and lines starting with '#' stand between
// pairs. Each source text must stand exactly once in the page as the pairs
// before it left it: a text that was edited in the source, or that also
// stands where it must not be translated, stops the build rather than
// leaving a page half in the old language. Throws std::runtime_error naming
// `pairsName` and the pair's line.
std::string Translate(const std::string& page, const std::string& pairs,
                      const std::string& pairsName);

}  // namespace nemora::embed
