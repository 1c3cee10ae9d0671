#include "publish/SitePublisher.h"

#include <filesystem>
#include <system_error>

#include "publish/SitePaths.h"
#include "publish/SiteRun.h"

namespace nemora::publish {

namespace fs = std::filesystem;
using engine::Result;

Result SitePublisher::CheckFolders(const std::string& site, const std::string& out) {
    std::error_code error;
    if (!fs::is_directory(site, error)) return Result::CannotOpen;
    // A folder that cannot be listed publishes nothing.
    const fs::directory_iterator listing(site, error);
    if (error) return Result::CannotOpen;
    const std::string realSite = Normal(site);
    const std::string realOut = Normal(out);
    if (Within(realOut, realSite) || Within(realSite, realOut)) return Result::SiteOverlapsOutput;
    return Result::Ok;
}

SitePublisher::Summary SitePublisher::Run(const Options& options, Progress& progress) const {
    // A file where the folder must go fails every file alike, as a
    // read-only or full file system does.
    int error = files_.MakeFolders(options.out);
    if (error == 0) error = files_.ProbeFolder(options.out + "/");
    if (error != 0) {
        Summary summary;
        summary.outputStop = OutputStop{options.out, error};
        progress.walked = true;
        return summary;
    }
    return SiteRun(options, progress, files_).Go();
}

}  // namespace nemora::publish
