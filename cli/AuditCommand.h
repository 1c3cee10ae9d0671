#pragma once

#include <string>

#include "cli/Password.h"

namespace nemora::cli {

// What `audit` was asked, as the argument table reads it.
struct AuditOptions {
    std::string folder;   // the published folder
    std::string against;  // the site it was published from; empty: the password opens the pages
    PasswordOptions password;
};

// `audit`: lists every file of a published folder that a visitor without the
// password can read and that holds text of a protected page, one line a
// file and page; says "clean" when there is none. The protected pages'
// text comes from the site given by --against, or else from the folder's
// own pages opened with the password (asked once the folder is known to be
// a published site). Returns the exit status: kExitLeaks when anything was
// found, kExitNotASite for a folder this program did not publish,
// kExitWrongPassword when the password opens none of its pages.
int Audit(const AuditOptions& options);

// The audit at the end of `lock -r`, against the site it has just
// published: the same lines as `audit`. Its findings are the author's to
// read; the run's status is the publication's.
void AuditPublished(const std::string& folder, const std::string& site);

}  // namespace nemora::cli
