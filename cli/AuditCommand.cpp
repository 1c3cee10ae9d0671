#include "cli/AuditCommand.h"

#include <cstdio>
#include <string_view>

#include "cli/ExitCode.h"
#include "cli/Report.h"
#include "publish/LeakAudit.h"
#include "res/StringTable.h"

namespace nemora::cli {
namespace {

using publish::LeakAudit;

// Prints what the audit meets, as it meets it.
struct Printer {
    std::string folder;
    std::size_t pages = 0;
    bool unreadable = false;

    LeakAudit::Callbacks Callbacks() {
        LeakAudit::Callbacks callbacks;
        callbacks.finding = [this](const LeakAudit::Finding& finding) {
            if (finding.heldWords == 0) {
                const std::string_view arguments[] = {finding.page, finding.fragment};
                Say(folder + "/" + finding.file, CliText::AuditFinding, arguments);
                return;
            }
            const std::string held = std::to_string(finding.heldWords);
            const std::string rare = std::to_string(finding.rareWords);
            const std::string_view arguments[] = {finding.page, held, rare, finding.fragment};
            Say(folder + "/" + finding.file, CliText::AuditWordIndex, arguments);
        };
        callbacks.unreadable = [this](const std::string& path) {
            unreadable = true;
            Report(path, CliText::AuditUnreadable);
        };
        callbacks.unopened = [this](const std::string& page, engine::Result why) {
            unreadable = true;
            if (why == engine::Result::CannotOpen) {
                Report(page, CliText::AuditUnreadable);
            } else {
                Report(page, CliText::AuditPageUnopened,
                       res::StringTable::Get(engine::ResultId(why)));
            }
        };
        callbacks.locked = [this](std::size_t count) { pages = count; };
        return callbacks;
    }

    // The line for an audit that found nothing.
    void Clean() const {
        const std::string count = std::to_string(pages);
        const std::string_view arguments[] = {count};
        Say(folder, CliText::AuditClean, arguments);
    }
};

}  // namespace

int Audit(const AuditOptions& options) {
    Printer printer{options.folder};
    const LeakAudit::Callbacks callbacks = printer.Callbacks();
    const std::optional<LeakAudit::Listing> listing = LeakAudit::List(options.folder, callbacks);
    if (!listing) {
        Report(options.folder, CliText::AuditNotASite);
        return kExitNotASite;
    }
    LeakAudit::PageSource pages;
    if (!options.against.empty()) {
        pages = LeakAudit::Against(options.against);
    } else {
        // Asked only now: no password is typed for a folder that is no site.
        std::optional<engine::SecretString> password =
            ReadPasswordOrSay(options.password, PasswordEntry::TypedOnce);
        if (!password) return kExitPassword;
        pages = LeakAudit::WithPassword(options.folder, std::move(*password));
    }
    switch (LeakAudit::Run(*listing, pages, callbacks)) {
        case LeakAudit::Outcome::NotASite:
            Report(options.folder, CliText::AuditNotASite);
            return kExitNotASite;
        case LeakAudit::Outcome::WrongPassword:
            Report(options.folder, CliText::AuditWrongPassword);
            return kExitWrongPassword;
        case LeakAudit::Outcome::Leaks:
            return kExitLeaks;
        case LeakAudit::Outcome::Clean:
            break;
    }
    printer.Clean();
    return printer.unreadable ? kExitLoad : kExitOk;
}

void AuditPublished(const std::string& folder, const std::string& site) {
    Printer printer{folder};
    if (LeakAudit::Run(folder, LeakAudit::Against(site), printer.Callbacks()) ==
        LeakAudit::Outcome::Clean)
        printer.Clean();
}

}  // namespace nemora::cli
