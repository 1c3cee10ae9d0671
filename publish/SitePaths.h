#pragma once

#include <string>

namespace nemora::publish {

// The paths of a site run: '/'-separated, relative to the site's top or to
// the output folder.

// The folder part of `relative` ("" at the top).
std::string FolderOf(const std::string& relative);

// From a folder of the mirror back to its top: "./" for the top itself.
std::string UpToTop(const std::string& folder);

// The mirror of the site's `folder` in `out`, ending in '/'.
std::string MirrorFolder(const std::string& out, const std::string& folder);

// `path` absolute, with its links resolved as far as it exists.
std::string Normal(const std::string& path);

// True when `inner` is `outer` or lies inside it (both Normal).
bool Within(const std::string& inner, const std::string& outer);

}  // namespace nemora::publish
