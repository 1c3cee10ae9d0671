#pragma once

namespace nemora::app {

// The form a save writes the page in: the default set of files (data file,
// loader page, decoder page and applet), or the strong lock's page and shared
// script (docs/strong-format.md).
enum class PageForm { Standard, Strong };

}  // namespace nemora::app
