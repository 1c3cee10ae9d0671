#pragma once

#include <string>
#include <string_view>

namespace nemora::publish {

// The text after the last '/' of `path` (all of it when there is none): the
// page's file name, which the loader page and the data file are named after.
std::string LastComponent(std::string_view path);

}  // namespace nemora::publish
