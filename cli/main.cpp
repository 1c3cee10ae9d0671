// nemora-cli: publishes HTML pages locked with a password, and reads a data
// file back, from the terminal. Uses the same save as the window.

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/DataFileCheck.h"
#include "cli/ExitCode.h"
#include "cli/FileBytes.h"
#include "cli/LockChecks.h"
#include "cli/Password.h"
#include "cli/Report.h"
#include "cli/SiteCommand.h"
#include "cli/TerminalProgress.h"
#include "cli/UsageMessages.h"
#include "engine/LockedDocument.h"
#include "engine/StreamFormat.h"
#include "engine/StreamReader.h"
#include "engine/posix/DurableFileLayer.h"
#include "engine/strong/StrongKey.h"
#include "engine/strong/StrongReader.h"
#include "publish/EncodingLabels.h"
#include "publish/PageEncoding.h"
#include "publish/PathNames.h"
#include "publish/ProcessProtection.h"
#include "publish/PublicationDefaults.h"
#include "publish/PublicationWriter.h"
#include "publish/SitePublisher.h"
#include "publish/StrongPage.h"
#include "publish/TextCodec.h"
#include "res/LanguageChoice.h"
#include "res/StringTable.h"

namespace {

using namespace nemora;

// The largest data file: a stream counted in 32 bits and the name block.
constexpr std::uint64_t kLargestDataFile = 0xFFFFFFFFull + engine::StreamFormat::kMaxCharCodeBlock;
constexpr std::uint64_t kProgressThreshold = 1024 * 1024;  // a bar only for pages above 1 MiB
// Passwords can be guessed offline against a data file (see docs/SECURITY.md):
// below this many characters the command line warns.
constexpr std::size_t kRecommendedLength = 12;

std::size_t CharacterCount(std::string_view utf8) {
    std::size_t count = 0;
    for (char c : utf8) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    return count;
}

constexpr const char* kProgram = "nemora-cli";
// --encoding's default: each page's own encoding.
constexpr const char* kAutoEncoding = "auto";

// What cannot be read as a data file: its message and exit status. A file
// that cannot be had at all is not a damaged one.
std::pair<cli::CliText, cli::ExitCode> ReadProblem(cli::FileBytes::Outcome outcome) {
    switch (outcome) {
        case cli::FileBytes::Outcome::NotAFile:
            return {cli::CliText::NotADataFile, cli::kExitBadDataFile};
        case cli::FileBytes::Outcome::TooLarge:
            return {cli::CliText::DataFileTooLarge, cli::kExitBadDataFile};
        case cli::FileBytes::Outcome::ReadFailed:
            return {cli::CliText::ReadFailed, cli::kExitFile};
        default:
            return {cli::CliText::CannotOpen, cli::kExitFile};
    }
}

struct LockOptions {
    std::vector<std::string> pages;
    std::string folder;
    // The prompt, the keyword and the confirm flag are read straight into
    // the publication's options; the rest is turned into them after parsing.
    publish::PublicationOptions publication;
    // Without --prompt the prompt is the default one in the page language,
    // whatever language the terminal speaks.
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
    bool includeHidden = false;
    bool noOutsideLinks = false;
    bool link = false;
    cli::PasswordOptions password;
};

struct UnlockOptions {
    std::string dataFile;
    std::string output;
    cli::PasswordOptions password;
};

// "session", "unlimited" or a number of days from 0.0001 to 36500, in
// ticks, cut to whole ticks as the window's lifetime field cuts them.
std::optional<std::int32_t> KeepTicks(const std::string& text) {
    using publish::CookieKeepTicks;
    if (text == "session") return CookieKeepTicks::kSession;
    if (text == "unlimited") return CookieKeepTicks::kUnlimited;
    const std::string_view digits = text.starts_with('+') ? std::string_view(text).substr(1) : text;
    double days = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), days);
    if (error != std::errc() || end != digits.data() + digits.size() ||
        !(days >= CookieKeepTicks::kShortestDays && days <= CookieKeepTicks::kLongestDays)) {
        return std::nullopt;
    }
    return CookieKeepTicks::FromDays(days);
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

std::shared_ptr<const engine::strong::StrongKey> DeriveForRun(
    const publish::PublicationOptions& publication) {
    using engine::strong::StrongKey;
    const bool onTerminal = ::isatty(STDERR_FILENO) == 1;
    if (onTerminal)
        std::fprintf(stderr, "%s\r", res::StringTable::Get(engine::text_id::kDerivingKey));
    std::optional<StrongKey> key =
        StrongKey::Derive(publication.password.View(), StrongKey::NewSalt(), publication.kdf);
    if (onTerminal) std::fprintf(stderr, "\033[K");
    if (!key) return nullptr;
    return std::make_shared<const StrongKey>(std::move(*key));
}

int LockSite(const LockOptions& options, const publish::PublicationOptions& publication,
             const std::string& folder) {
    if (options.pages.size() != 1) {
        std::fprintf(stderr, "%s: -r takes one site folder\n", kProgram);
        return cli::kExitUsage;
    }
    // Checked once here rather than failing every page alike.
    if (const engine::Result checked = publish::PublicationWriter::CheckEntries(publication);
        checked != engine::Result::Ok) {
        cli::Report(kProgram, checked);
        return cli::ExitCodeOfSave(checked);
    }
    publish::SitePublisher::Options site;
    site.site = NormalPath(options.pages.front());
    site.out = folder;
    site.rules.pageGlobs = options.pageGlobs;
    site.rules.includeHidden = options.includeHidden;
    site.rules.followOutsideLinks = !options.noOutsideLinks;
    site.jobs = options.jobs;
    site.link = options.link;
    site.encodeType = options.givenEncoding;
    site.publication = publication;
    return cli::PublishSite(site);
}

// A name --encoding gives, spelt as the form's decoders read it; "auto"
// leaves each page its own. False, with the accepted names printed, for a
// name those decoders cannot read.
bool TakeEncoding(LockOptions& options) {
    if (options.encoding == kAutoEncoding) return true;
    const bool strong = options.publication.strong;
    if (const auto name = publish::EncodingLabels::ForForm(options.encoding, strong)) {
        options.givenEncoding = std::string(*name);
        return true;
    }
    cli::Report(std::string(kProgram) + ": --encoding",
                strong ? cli::CliText::EncodingUnknown : cli::CliText::EncodingNotForClassic,
                options.encoding);
    return false;
}

// Gives the document its page's encoding name, as the window writes it; false,
// with the refusal reported, when the form's decoders cannot read the page.
bool NameEncoding(engine::LockedDocument& document, const std::string& name,
                  const publish::PageEncoding::Named& encoding) {
    if (encoding.result != engine::Result::Ok) {
        cli::Report(name, encoding.result, encoding.found);
        return false;
    }
    document.SetCharCodeName(publish::PublicationWriter::CharCodeName(encoding.name));
    return true;
}

// The options that the classic form has no use for: refused with --classic
// rather than silently ignored.
constexpr const char* kStrongOnly[] = {"--strong", "--kdf-memory", "--kdf-passes"};

// The remember options' names, and the former names (after the classic
// form's cookie) that stay accepted.
constexpr std::pair<const char*, const char*> kFormerNames[] = {
    {"--remember-name", "--cookie-key"},
    {"--no-remember", "--no-cookie"},
    {"--remember-days", "--cookie-days"},
};

// Reports a combination of the lock's options that the parser lets
// through but that cannot be meant; false when there is none.
bool ReportConflict(const CLI::App& command, const LockOptions& options) {
    if (options.classic) {
        for (const char* name : kStrongOnly) {
            if (command.count(name) > 0) {
                cli::Report(kProgram, cli::CliText::StrongFormOnly, name);
                return true;
            }
        }
    }
    for (const auto& [name, former] : kFormerNames) {
        if (command.count(name) > 0 && command.count(former) > 0) {
            cli::Report(kProgram, cli::CliText::SameOptionTwice, std::string(name) + " " + former);
            return true;
        }
    }
    return false;
}

// The classic form keys its cipher from the password's code page 932
// bytes; a password they cannot hold is refused once for the run, with the
// way out.
bool PasswordFitsClassic(const engine::SecretString& password) {
    if (password.empty() || publish::TextCodec::PasswordToCp932(password.View())) return true;
    cli::Report(kProgram, cli::CliText::ClassicPasswordHint,
                res::StringTable::Get(engine::ResultId(engine::Result::PasswordNotShiftJis)));
    return false;
}

int Lock(const LockOptions& options, std::int32_t keepTicks) {
    // Once for the run, before the password is typed for it.
    if (options.classic && !options.quiet) cli::Report(kProgram, cli::CliText::ClassicNotice);
    // Single pages are checked before the password is asked; a site's
    // pages as its walk meets them.
    cli::LockInputs inputs{options.pages};
    if (!options.recursive) {
        inputs = cli::CheckLockInputs(options.pages, options.folder, options.publication.strong);
        if (inputs.stop) return inputs.status;
    }
    std::string error;
    std::optional<engine::SecretString> password =
        cli::ReadPassword(options.password, cli::PasswordEntry::TypedTwice, error);
    if (!password) {
        std::fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
        return cli::kExitPassword;
    }
    if (options.classic && !PasswordFitsClassic(*password)) return cli::kExitPassword;
    if (!options.quiet && !password->empty() &&
        CharacterCount(password->View()) < kRecommendedLength) {
        cli::Report(kProgram, cli::CliText::ShortPassword);
    }
    publish::PublicationOptions publication = options.publication;
    publication.pageLanguage = *res::LanguageChoice::Parse(options.pageLanguage);
    if (!options.promptGiven) {
        publication.prompt =
            res::StringTable::Get(publish::defaults::kPromptText, publication.pageLanguage);
    }
    publication.strong = !options.classic;
    publication.password = std::move(*password);
    publication.cookieOn = !options.noCookie;
    publication.cookieKeepTicks = keepTicks;
    publication.comment = !options.noComment;
    publication.kdf.memoryKiB = options.kdfMemoryMiB * 1024;
    if (publication.strong && !publication.password.empty()) {
        // One derivation and one salt for the run: a key the browser
        // remembers opens every page published with it.
        publication.strongKey = DeriveForRun(publication);
        if (!publication.strongKey) {
            cli::Report(kProgram, engine::Result::KeyNotDerived);
            return cli::kExitPublish;
        }
    }
    const std::string folder = NormalPath(options.folder);
    if (options.recursive) return LockSite(options, publication, folder);

    engine::LockedDocument document(engine::posix::DurableFileLayer::Instance());
    const publish::PublicationWriter writer;
    int status = inputs.status;
    for (const std::string& typed : inputs.pages) {
        const std::string page = NormalPath(typed);
        const std::string name = publish::LastComponent(page);
        std::error_code ignored;
        const bool large = std::filesystem::file_size(page, ignored) > kProgressThreshold;
        const bool showProgress = large && ::isatty(STDERR_FILENO) == 1;

        engine::Result loaded;
        publish::PageEncoding::Named encoding;
        {
            cli::TerminalProgress progress(showProgress);
            loaded = document.Load(&progress, page);
            // Named while the page's own bytes are there, before the compression.
            if (loaded == engine::Result::Ok) {
                encoding = publish::PageEncoding::Of(document.Page(), options.givenEncoding,
                                                     publication.strong);
                loaded = document.Compress(&progress);
            }
        }
        if (loaded != engine::Result::Ok) {
            cli::Report(typed, loaded);
            status = cli::kExitLoad;
            continue;
        }
        if (!NameEncoding(document, name, encoding)) {
            if (status == cli::kExitOk) status = cli::ExitCodeOfSave(encoding.result);
            continue;
        }

        publish::PublicationOutcome outcome;
        {
            cli::TerminalProgress progress(showProgress);
            outcome = writer.Publish({document, page}, publication, folder, &progress);
        }
        // A file-error message names the file (and so the cause) in its %1.
        cli::Report(name, outcome.result, outcome.failedFile);
        if (outcome.result != engine::Result::Published && status == cli::kExitOk) {
            status = cli::ExitCodeOfSave(outcome.result);
        }
    }
    return status;
}

// The strong lock's container, given as itself or inside a published page;
// nothing for the default form's data file.
std::optional<std::vector<std::uint8_t>> StrongContainer(const std::vector<std::uint8_t>& data) {
    if (engine::strong::StrongReader::IsContainer(data.data(), data.size())) return data;
    return publish::StrongPage::ReadContainer(data);
}

int Unlock(const UnlockOptions& options) {
    // The file first: no password is typed for a file that is no data file.
    const cli::FileBytes file = cli::ReadFileBytes(options.dataFile, kLargestDataFile);
    if (file.outcome != cli::FileBytes::Outcome::Ok) {
        const auto [text, status] = ReadProblem(file.outcome);
        cli::Report(options.dataFile, text);
        return status;
    }
    const std::vector<std::uint8_t>& data = file.bytes;
    const std::optional<std::vector<std::uint8_t>> strong = StrongContainer(data);
    if (!strong && cli::RefuseNonDataFile(options.dataFile, data)) return cli::kExitBadDataFile;
    std::string error;
    std::optional<engine::SecretString> password =
        cli::ReadPassword(options.password, cli::PasswordEntry::TypedOnce, error);
    if (!password) {
        std::fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
        return cli::kExitPassword;
    }
    engine::UnlockedPage unlocked;
    if (strong) {
        // The strong lock takes the password as typed (UTF-8).
        unlocked =
            engine::strong::StrongReader::Read(strong->data(), strong->size(), password->View());
    } else {
        const std::optional<engine::SecretString> cp932 =
            publish::TextCodec::PasswordToCp932(password->View());
        if (!cp932) {
            cli::Report(kProgram, engine::Result::PasswordNotShiftJis);
            return cli::kExitPassword;
        }
        const engine::Key key = engine::DeriveKey(cp932->View());
        unlocked = engine::StreamReader(key).Read(data.data(), data.size());
    }
    password.reset();
    if (unlocked.status != engine::Result::Ok) {
        cli::Report(options.dataFile, unlocked.status);
        return unlocked.status == engine::Result::WrongPassword ? cli::kExitWrongPassword
                                                                : cli::kExitBadDataFile;
    }
    std::fprintf(stderr, "%s: %zu bytes, encoding \"%s\"\n", options.dataFile.c_str(),
                 unlocked.page.size(), unlocked.encodingName.c_str());
    if (options.output.empty()) {
        std::fwrite(unlocked.page.data(), 1, unlocked.page.size(), stdout);
    } else if (!cli::WriteFileBytes(options.output, unlocked.page)) {
        cli::Report(options.output, cli::CliText::CannotWrite);
        return cli::kExitFile;
    }
    return cli::kExitOk;
}

void AddPasswordOptions(CLI::App* command, cli::PasswordOptions& password) {
    command->add_option("--password-file", password.file,
                        "Read the password from the first line of FILE");
    command->add_flag("--password-stdin", password.fromStdin,
                      "Read the password from standard input");
    command->footer(
        "Without these the password comes from NEMORA_PASSWORD, or is asked on the terminal.");
}

}  // namespace

int main(int argc, char** argv) {
    publish::ProtectProcessSecrets();
    // The messages' language: NEMORA_LANG or the locale (English unless it
    // asks for Japanese), unless --lang says otherwise once the arguments
    // are parsed.
    res::StringTable::SetLanguage(res::LanguageChoice::ForCommandLine());
    CLI::App app{
        "Nemora: publishes HTML pages locked with a password, and reads them back. The strong "
        "form, the default, makes each page one page that any current browser opens, beside "
        "nemora-strong.js. The classic form (lock --classic) writes a data file, a loader page, "
        "decoder.htm and decoder.jar: it is weak, for compatibility, not for secrets.",
        "nemora-cli"};
    app.set_version_flag("--version", "nemora-cli " NEMORA_VERSION);
    app.require_subcommand(1);
    // The subcommands hand options they do not know to the program, so the
    // global --lang may come before or after them.
    app.fallthrough();
    std::string messageLanguage;
    app.add_option("--lang", messageLanguage,
                   "The language of the messages: en or ja (default: NEMORA_LANG, then the "
                   "locale: English unless it asks for Japanese)")
        ->check(CLI::IsMember({"en", "ja"}));

    LockOptions lock;
    CLI::App* lockCommand = app.add_subcommand(
        "lock", "Publish pages into a folder, in the strong form unless --classic is given");
    lockCommand->add_option("pages", lock.pages, "The HTML pages to lock")->required();
    lockCommand->add_option("-o,--output", lock.folder, "The output folder (made if missing)")
        ->required();
    // The form first: the strong one unless --classic.
    lockCommand->add_flag("--classic", lock.classic,
                          "Write the classic form instead: a data file (.zvk), a loader page "
                          "under the page's name, decoder.htm and decoder.jar, as the window "
                          "writes by default. It is weak (a DES variant keyed from the password "
                          "alone: whoever has the data file can try passwords offline, very "
                          "fast) and the password must fit Shift_JIS: use it for compatibility "
                          "with classic pages, not for secrets");
    lockCommand->add_flag("--strong", lock.strongNamed,
                          "The strong form, the default: Argon2id and XChaCha20-Poly1305, each "
                          "page one page beside nemora-strong.js, opened by any current browser "
                          "over http, https or from a folder on disk; the password may hold any "
                          "character (see docs/SECURITY.md)");
    lockCommand
        ->add_option("--kdf-memory", lock.kdfMemoryMiB,
                     "Strong form: the key derivation's memory in MiB (19 to 1024)")
        ->check(CLI::Range(engine::strong::kLeastMemoryKiB / 1024,
                           engine::strong::kMostMemoryKiB / 1024))
        ->capture_default_str();
    lockCommand
        ->add_option("--kdf-passes", lock.publication.kdf.passes,
                     "Strong form: the key derivation's passes (2 to 16)")
        ->check(CLI::Range(engine::strong::kLeastPasses, engine::strong::kMostPasses))
        ->capture_default_str();
    lockCommand->add_option("--prompt", lock.publication.prompt,
                            "The text above the password field (default: a request for the "
                            "password in the page language)");
    lockCommand
        ->add_option("--page-language", lock.pageLanguage,
                     "The language of what the visitor reads, and of the pages' comments: ja "
                     "or en")
        ->check(CLI::IsMember({"ja", "en"}))
        ->capture_default_str();
    // What the visitor's browser may remember: the strong form keeps the key
    // in the browser's web storage, the classic form in a cookie.
    lockCommand
        ->add_option("--remember-name", lock.publication.cookieKey,
                     "The name under which the visitor's browser remembers the key: part of "
                     "the web-storage entry's name (strong form), the cookie's name (classic "
                     "form); pages that share it share the remembered key")
        ->capture_default_str();
    lockCommand->add_flag("--no-remember", lock.noCookie,
                          "The browser never remembers the key: the password is asked at every "
                          "visit");
    CLI::Option* rememberDays =
        lockCommand
            ->add_option("--remember-days", lock.cookieDays,
                         "How long the browser remembers the key: days (0.0001 to 36500), session "
                         "(until the browser closes) or unlimited; in web storage that never goes "
                         "to the server (strong form) or in a cookie (classic form)")
            ->capture_default_str();
    lockCommand->add_flag("--confirm", lock.publication.confirm,
                          "Ask the visitor before the browser remembers the key (not with "
                          "--remember-days session)");
    // The former names, kept working for scripts and left out of the help.
    lockCommand->add_option("--cookie-key", lock.publication.cookieKey)->group("");
    lockCommand->add_flag("--no-cookie", lock.noCookie)->group("");
    CLI::Option* formerDays = lockCommand->add_option("--cookie-days", lock.cookieDays)->group("");
    lockCommand->add_flag("--no-comment", lock.noComment,
                          "Leave the explanatory comments out of the classic form's pages (the "
                          "strong form's page has none)");
    lockCommand
        ->add_option("--encoding", lock.encoding,
                     "The pages' character encoding. auto finds each page's own, as a browser "
                     "does: a byte order mark, <meta charset> or <meta http-equiv=Content-Type> "
                     "in its first 1024 bytes, or an XML declaration; else UTF-8 for a page "
                     "whose bytes are UTF-8, else shift_jis. A name wins over it: the classic "
                     "form reads shift_jis, iso-8859-1, iso-2022-jp, cseucpkdfmtjapanese and "
                     "UTF8 (or their other names, such as utf-8 or euc-jp), the strong form any "
                     "encoding browsers know")
        ->capture_default_str();
    lockCommand->add_flag("-r,--recursive", lock.recursive,
                          "Publish a whole site: the one argument is its folder, mirrored into "
                          "the output folder with its other files");
    lockCommand
        ->add_option("-j,--jobs", lock.jobs,
                     "With -r: pages locked at once (default: the number of cores)")
        ->check(CLI::Range(1u, 1024u));
    lockCommand->add_option("--pages", lock.pageGlobs,
                            "With -r: a glob of the file names that are pages (repeatable; "
                            "default *.html and *.htm in any case)");
    lockCommand->add_flag("--include-hidden", lock.includeHidden,
                          "With -r: also files and folders whose names start with a dot");
    lockCommand->add_flag("--no-outside-links", lock.noOutsideLinks,
                          "With -r: skip (and list) links that lead outside the site, in place "
                          "of copying what they point to");
    lockCommand->add_flag("--link", lock.link,
                          "With -r: hard links in place of copies where the file system allows "
                          "(files from outside the site are always copied)");
    lockCommand->add_flag("-q,--quiet", lock.quiet,
                          "No notices or warnings: neither the classic form's notice nor the "
                          "short-password warning (errors, and the lines that say what was "
                          "published, still show)");
    AddPasswordOptions(lockCommand, lock.password);

    UnlockOptions unlock;
    CLI::App* unlockCommand = app.add_subcommand(
        "unlock", "Read a published page back: a strong page, or a classic data file");
    unlockCommand
        ->add_option("data-file", unlock.dataFile,
                     "A page published in the strong form, or a classic data file (.zvk)")
        ->required();
    unlockCommand->add_option("-o,--output", unlock.output,
                              "Write the page here instead of standard output");
    AddPasswordOptions(unlockCommand, unlock.password);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int status = app.exit(e);
        return status == 0 ? cli::kExitOk : cli::kExitUsage;
    }
    if (!messageLanguage.empty()) {
        res::StringTable::SetLanguage(*res::LanguageChoice::Parse(messageLanguage));
    }
    if (lockCommand->parsed()) {
        if (ReportConflict(*lockCommand, lock)) return cli::kExitUsage;
        // The form decides which encoding names its decoders read.
        lock.publication.strong = !lock.classic;
        lock.promptGiven = lockCommand->count("--prompt") > 0;
        const std::optional<std::int32_t> keepTicks = KeepTicks(lock.cookieDays);
        if (!keepTicks) {
            const CLI::Option& days = formerDays->count() > 0 ? *formerDays : *rememberDays;
            cli::ReportBadValue(cli::GivenName(days, argc, argv), lock.cookieDays,
                                cli::CliText::CookieDaysAccepted);
            return cli::kExitUsage;
        }
        if (!TakeEncoding(lock)) return cli::kExitUsage;
        return Lock(lock, *keepTicks);
    }
    return Unlock(unlock);
}
