#pragma once

#include <string>

namespace nemora::cli {

// What `audit` was asked, as the argument table reads it.
struct AuditOptions {
    std::string folder;   // the published folder
    std::string against;  // the site it was published from
};

// `audit`: lists every file of a published folder that a visitor without the
// password can read and that holds text of a protected page, one line a
// file and page; says "clean" when there is none. The protected pages'
// text comes from the site given by --against (a run of `lock -r` hands its
// own SITE the same way). Returns the exit status: kExitLeaks when anything
// was found, kExitNotASite for a folder this program did not publish.
int Audit(const AuditOptions& options);

}  // namespace nemora::cli
