#include "cli/AuditCommand.h"

#include <cstdio>
#include <string_view>

#include "cli/ExitCode.h"
#include "cli/Report.h"
#include "publish/LeakAudit.h"

namespace nemora::cli {

int Audit(const AuditOptions& options) {
    using publish::LeakAudit;
    std::size_t pages = 0;
    bool unreadable = false;
    LeakAudit::Callbacks callbacks;
    callbacks.finding = [&](const LeakAudit::Finding& finding) {
        const std::string_view arguments[] = {finding.page, finding.fragment};
        Say(options.folder + "/" + finding.file, CliText::AuditFinding, arguments);
    };
    callbacks.unreadable = [&](const std::string& path) {
        unreadable = true;
        Report(path, CliText::AuditUnreadable);
    };
    callbacks.locked = [&](std::size_t count) { pages = count; };
    const LeakAudit::Outcome outcome =
        LeakAudit::Run(options.folder, LeakAudit::Against(options.against), callbacks);
    switch (outcome) {
        case LeakAudit::Outcome::NotASite:
            Report(options.folder, CliText::AuditNotASite);
            return kExitNotASite;
        case LeakAudit::Outcome::Leaks:
            return kExitLeaks;
        case LeakAudit::Outcome::Clean:
            break;
    }
    const std::string count = std::to_string(pages);
    const std::string_view arguments[] = {count};
    Say(options.folder, CliText::AuditClean, arguments);
    return unreadable ? kExitLoad : kExitOk;
}

}  // namespace nemora::cli
