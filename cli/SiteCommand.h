#pragma once

#include "publish/SitePublisher.h"

namespace nemora::cli {

// `lock -r`: publishes a site with a bar on the terminal, then prints one
// line per failed or skipped file (standard error) and per file taken from
// outside the site (standard output), and a summary that counts them. An
// output that cannot be written has one line, naming where and why. Returns
// the exit status: 0 when every page was published and every other file
// copied; otherwise that of the first failure met (4: a file or folder of the
// site could not be read; 5: something could not be written). Skipped links
// are reported and do not change the status. Ended by a signal: the files in
// hand are finished, then 130 for SIGINT, 143 for SIGTERM.
int PublishSite(publish::SitePublisher::Options options);

}  // namespace nemora::cli
