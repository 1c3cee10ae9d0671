#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "cli/Password.h"
#include "engine/strong/StrongFormat.h"
#include "publish/PublicationOptions.h"
#include "res/LanguageChoice.h"

namespace nemora::cli {

// --encoding's default: each page's own encoding.
inline constexpr const char* kAutoEncoding = "auto";

// What `lock` was asked, as the argument table reads it.
struct LockOptions {
    std::vector<std::string> pages;
    std::string folder;
    // The keyword and the confirm flag are read straight into the
    // publication's options; the rest is turned into them after parsing.
    publish::PublicationOptions publication;
    // Without --prompt the prompt is the default one in the page language,
    // whatever language the terminal speaks.
    std::string prompt;
    bool promptGiven = false;
    std::string pageLanguage = res::LanguageChoice::Name(res::Language::Japanese);
    bool noCookie = false;
    std::string cookieDays = "7";
    bool noComment = false;
    std::string encoding = kAutoEncoding;
    // What --encoding gives every page, spelt for the form; nothing for auto.
    std::optional<std::string> givenEncoding;
    // The strong form unless --classic; --strong names the default.
    bool classic = false;
    bool strongNamed = false;
    bool quiet = false;
    std::uint32_t kdfMemoryMiB = engine::strong::kDefaultMemoryKiB / 1024;
    // -r: the one page argument is a site's folder.
    bool recursive = false;
    unsigned jobs = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::string> pageGlobs;
    std::vector<std::string> publicGlobs;  // a sealed site's files left in clear
    bool includeHidden = false;
    bool noOutsideLinks = false;
    bool link = false;
    PasswordOptions password;
};

// `lock`: asks the password, makes the run's publication from the options
// (the remember lifetime as `keepTicks`) and publishes the pages, or with -r
// the site. Returns the exit status.
int Lock(const LockOptions& options, std::int32_t keepTicks);

}  // namespace nemora::cli
