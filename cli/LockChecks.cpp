#include "cli/LockChecks.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "cli/Report.h"
#include "publish/InputPage.h"
#include "publish/OutputGuard.h"

namespace nemora::cli {
namespace {

using publish::InputPage;
using publish::OutputGuard;

std::string Cause(const InputPage::Inspection& inspection) {
    switch (inspection.problem) {
        case InputPage::Problem::Missing:
            return Text(CliText::NoSuchFile);
        case InputPage::Problem::NoPermission:
            return Text(CliText::PermissionDenied);
        case InputPage::Problem::Folder:
            return Text(CliText::IsAFolder);
        case InputPage::Problem::NotAFile:
            return Text(CliText::NotARegularFile);
        case InputPage::Problem::Empty:
            return Text(CliText::EmptyFile);
        default:
            return std::strerror(inspection.systemError);
    }
}

// True when the page can be locked; its problem reported otherwise.
bool Usable(const std::string& page) {
    const InputPage::Inspection inspection = InputPage::Inspect(page);
    if (inspection.problem != InputPage::Problem::None) {
        Report(page, CliText::PageCannotOpen, Cause(inspection));
        return false;
    }
    if (const engine::Result refused = InputPage::Refusal(inspection.kind);
        refused != engine::Result::Ok) {
        Report(page, refused);
        return false;
    }
    return true;
}

// The output file named in the folder as typed.
void ReportClash(const OutputGuard::Clash& clash, const std::string& folder) {
    using Kind = OutputGuard::Clash::Kind;
    const std::string output =
        (std::filesystem::path(folder) / std::filesystem::path(clash.output).filename())
            .lexically_normal()
            .string();
    switch (clash.kind) {
        case Kind::ReplacesPage:
            Report(output, CliText::OutputReplacesPage, clash.page);
            break;
        case Kind::WrittenTwice:
            Report(output, CliText::OutputWrittenTwice, clash.page + ", " + clash.other);
            break;
        case Kind::NameTaken:
            Report(clash.page, CliText::OutputNameTaken, output);
            break;
    }
}

}  // namespace

LockInputs CheckLockInputs(const std::vector<std::string>& typed, const std::string& folder,
                           bool strong) {
    // The folder as the shell means it, for the checks.
    const std::string absolute = std::filesystem::absolute(folder).lexically_normal().string();
    LockInputs inputs;
    for (const std::string& page : typed) {
        if (Usable(page)) {
            inputs.pages.push_back(page);
        } else {
            inputs.status = kExitLoad;
        }
    }
    if (inputs.pages.empty()) {
        inputs.stop = true;
        return inputs;
    }
    if (const auto clash = OutputGuard::Check(inputs.pages, absolute, strong)) {
        ReportClash(*clash, folder);
        return {{}, kExitUsage, true};
    }
    if (const auto refused = OutputGuard::UnwritableFolder(absolute)) {
        Report(refused->folder, CliText::FolderNotWritable, WriteCause(refused->systemError));
        return {{}, kExitPublish, true};
    }
    return inputs;
}

}  // namespace nemora::cli
