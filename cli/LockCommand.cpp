#include "cli/LockCommand.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <utility>

#include "cli/DerivationLine.h"
#include "cli/ExitCode.h"
#include "cli/LockChecks.h"
#include "cli/Report.h"
#include "cli/SiteCommand.h"
#include "cli/TerminalProgress.h"
#include "engine/LockedDocument.h"
#include "engine/posix/DurableFileLayer.h"
#include "publish/PageEncoding.h"
#include "publish/PathNames.h"
#include "publish/Publication.h"
#include "publish/SitePublisher.h"
#include "publish/TextCodec.h"
#include "res/StringTable.h"

namespace nemora::cli {
namespace {

constexpr std::uint64_t kProgressThreshold = 1024 * 1024;  // a bar only for pages above 1 MiB
// Passwords can be guessed offline against a data file (see docs/SECURITY.md):
// below this many characters the command line warns.
constexpr std::size_t kRecommendedLength = 12;

std::size_t CharacterCount(std::string_view utf8) {
    std::size_t count = 0;
    for (char c : utf8) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    return count;
}

// A path as the shell user means it: absolute, without "." and ".."
// components or a trailing slash, so that "out/./b" and "out/." name the
// folders they name for the shell (the save's folder checks would take the
// dots literally).
std::string NormalPath(const std::string& path) {
    // Lexically, not through the links: a page reached by a link keeps its
    // own name.
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error) return path;
    std::string text = absolute.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text.empty() ? path : text;
}

// The classic form keys its cipher from the password's code page 932
// bytes; a password they cannot hold is refused once for the run, with the
// way out.
bool PasswordFitsClassic(const engine::SecretString& password) {
    if (password.empty() || publish::TextCodec::PasswordToCp932(password.View())) return true;
    Report(kProgram, CliText::ClassicPasswordHint,
           res::StringTable::Get(engine::ResultId(engine::Result::PasswordNotShiftJis)));
    return false;
}

// The author's choices for the run, with the password typed for it.
publish::PublicationOptions Choices(const LockOptions& options, std::int32_t keepTicks,
                                    engine::SecretString password) {
    publish::PublicationOptions publication = options.publication;
    publication.pageLanguage = *res::LanguageChoice::Parse(options.pageLanguage);
    if (options.promptGiven) publication.prompt = options.prompt;
    publication.strong = !options.classic;
    publication.password = std::move(password);
    publication.cookieOn = !options.noCookie;
    publication.cookieKeepTicks = keepTicks;
    publication.comment = !options.noComment;
    publication.kdf.memoryKiB = options.kdfMemoryMiB * 1024;
    return publication;
}

int LockSite(const LockOptions& options, const publish::Publication::Made& made,
             const std::string& folder) {
    if (options.pages.size() != 1) {
        std::fprintf(stderr, "%s: -r takes one site folder\n", kProgram);
        return kExitUsage;
    }
    // Checked once for the run rather than failing every page alike.
    if (!made.publication) {
        Report(kProgram, made.result);
        return ExitCodeOfSave(made.result);
    }
    publish::SitePublisher::Options site;
    site.site = NormalPath(options.pages.front());
    site.out = folder;
    site.rules.pageGlobs = options.pageGlobs;
    site.publicGlobs = options.publicGlobs;
    site.rules.includeHidden = options.includeHidden;
    site.rules.followOutsideLinks = !options.noOutsideLinks;
    site.jobs = options.jobs;
    site.link = options.link;
    site.encodeType = options.givenEncoding;
    site.publication = made.publication;
    return PublishSite(site);
}

// Gives the document its page's encoding name, as the window writes it; false,
// with the refusal reported, when the form's decoders cannot read the page.
bool NameEncoding(engine::LockedDocument& document, const std::string& name,
                  const publish::PageEncoding::Named& encoding) {
    if (encoding.result != engine::Result::Ok) {
        Report(name, encoding.result, encoding.found);
        return false;
    }
    document.SetCharCodeName(publish::Publication::CharCodeName(encoding.name));
    return true;
}

// Loads, names and compresses one page, with a bar for a large one; false,
// with the failure reported and `status` set, when it cannot be published.
bool LoadPage(engine::LockedDocument& document, const std::string& typed, bool showProgress,
              const LockOptions& options, int& status) {
    const std::string page = NormalPath(typed);
    engine::Result loaded;
    publish::PageEncoding::Named encoding;
    {
        TerminalProgress progress(showProgress);
        loaded = document.Load(&progress, page);
        // Named while the page's own bytes are there, before the compression.
        if (loaded == engine::Result::Ok) {
            encoding =
                publish::PageEncoding::Of(document.Page(), options.givenEncoding, !options.classic);
            loaded = document.Compress(&progress);
        }
    }
    if (loaded != engine::Result::Ok) {
        Report(typed, loaded);
        status = kExitLoad;
        return false;
    }
    if (!NameEncoding(document, publish::LastComponent(page), encoding)) {
        if (status == kExitOk) status = ExitCodeOfSave(encoding.result);
        return false;
    }
    return true;
}

// One page into the folder the author chose.
publish::PublicationOutcome PublishPage(const publish::Publication& publication,
                                        engine::LockedDocument& document, const std::string& page,
                                        const std::string& folder, bool showProgress) {
    std::string prepared = folder;
    publish::PublicationOutcome outcome = publication.PrepareFolder(page, prepared);
    if (outcome.result != engine::Result::Ok) return outcome;
    TerminalProgress progress(showProgress);
    return publication.PublishPage({document, page}, prepared, &progress);
}

int LockPages(const LockOptions& options, const LockInputs& inputs,
              const publish::Publication::Made& made, const std::string& folder) {
    engine::LockedDocument document(engine::posix::DurableFileLayer::Instance());
    int status = inputs.status;
    for (const std::string& typed : inputs.pages) {
        const std::string page = NormalPath(typed);
        const std::string name = publish::LastComponent(page);
        std::error_code ignored;
        const bool large = std::filesystem::file_size(page, ignored) > kProgressThreshold;
        const bool showProgress = large && ::isatty(STDERR_FILENO) == 1;
        if (!LoadPage(document, typed, showProgress, options, status)) continue;
        // Entries that failed their check are told for each page, as any
        // other reason a page was not published.
        const publish::PublicationOutcome outcome =
            made.publication ? PublishPage(*made.publication, document, page, folder, showProgress)
                             : publish::PublicationOutcome{made.result};
        // A file-error message names the file (and so the cause) in its %1.
        Report(name, outcome.result, outcome.failedFile);
        if (outcome.result != engine::Result::Published && status == kExitOk) {
            status = ExitCodeOfSave(outcome.result);
        }
    }
    return status;
}

}  // namespace

int Lock(const LockOptions& options, std::int32_t keepTicks) {
    // Once for the run, before the password is typed for it.
    if (options.classic && !options.quiet) Report(kProgram, CliText::ClassicNotice);
    // Single pages are checked before the password is asked; a site's
    // pages as its walk meets them.
    LockInputs inputs{options.pages};
    if (!options.recursive) {
        inputs = CheckLockInputs(options.pages, options.folder, !options.classic);
        if (inputs.stop) return inputs.status;
    }
    std::optional<engine::SecretString> password =
        ReadPasswordOrSay(options.password, PasswordEntry::TypedTwice);
    if (!password) return kExitPassword;
    if (options.classic && !PasswordFitsClassic(*password)) return kExitPassword;
    if (!options.quiet && !password->empty() &&
        CharacterCount(password->View()) < kRecommendedLength) {
        Report(kProgram, CliText::ShortPassword);
    }
    publish::Publication::Made made = publish::Publication::Make(
        Choices(options, keepTicks, std::move(*password)),
        publish::PublicationWriter(engine::posix::DurableFileLayer::Instance()));
    password.reset();
    if (made.publication) {
        // One derivation and one salt for the run: a key the browser
        // remembers opens every page published with it.
        engine::Result derived;
        {
            DerivationLine line;
            derived = made.publication->DeriveKey(&line);
        }
        if (derived != engine::Result::Ok) {
            Report(kProgram, derived);
            return kExitPublish;
        }
    }
    const std::string folder = NormalPath(options.folder);
    if (options.recursive) return LockSite(options, made, folder);
    return LockPages(options, inputs, made, folder);
}

}  // namespace nemora::cli
