// nemora-cli: publishes HTML pages locked with a password, and reads a data
// file back, from the terminal. Uses the same save as the window. Each
// command lives in a file of its own; this one holds the argument table.

#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include <CLI/CLI.hpp>

#include "cli/AuditCommand.h"
#include "cli/ExitCode.h"
#include "cli/LockCommand.h"
#include "cli/Report.h"
#include "cli/UnlockCommand.h"
#include "cli/UsageMessages.h"
#include "engine/strong/StrongFormat.h"
#include "publish/CookieKeepTicks.h"
#include "publish/EncodingLabels.h"
#include "publish/ProcessProtection.h"
#include "res/LanguageChoice.h"
#include "res/StringTable.h"

namespace {

using namespace nemora;
using cli::kProgram;

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

// A name --encoding gives, spelt as the form's decoders read it; "auto"
// leaves each page its own. False, with the accepted names printed, for a
// name those decoders cannot read.
bool TakeEncoding(cli::LockOptions& options) {
    if (options.encoding == cli::kAutoEncoding) return true;
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

// The options that the classic form has no use for: refused with --classic
// rather than silently ignored.
constexpr const char* kStrongOnly[] = {"--strong", "--kdf-memory", "--kdf-passes", "--public"};

// The remember options' names, and the former names (after the classic
// form's cookie) that stay accepted.
constexpr std::pair<const char*, const char*> kFormerNames[] = {
    {"--remember-name", "--cookie-key"},
    {"--no-remember", "--no-cookie"},
    {"--remember-days", "--cookie-days"},
};

// Reports a combination of the lock's options that the parser lets
// through but that cannot be meant; false when there is none.
bool ReportConflict(const CLI::App& command, const cli::LockOptions& options) {
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

    cli::LockOptions lock;
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
    lockCommand->add_option("--prompt", lock.prompt,
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
                          "the output folder with its other files. The strong form seals every "
                          "file (stylesheets, images, downloads, the pages' own text) into the "
                          "output's nemora-sealed folder, under names only the key reveals; the "
                          "classic form copies the other files in clear");
    lockCommand
        ->add_option("-j,--jobs", lock.jobs,
                     "With -r: pages locked at once (default: the number of cores)")
        ->check(CLI::Range(1u, 1024u));
    lockCommand->add_option("--pages", lock.pageGlobs,
                            "With -r: a glob of the file names that are pages (repeatable; "
                            "default *.html and *.htm in any case)");
    lockCommand->add_option("--public", lock.publicGlobs,
                            "With -r, strong form: a glob of the site paths left readable "
                            "without the password (repeatable; * within a folder, ** across "
                            "folders, e.g. robots.txt, favicon.ico, **/*.pdf): copied in clear, "
                            "never sealed; pages it names are copied, not locked");
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

    cli::UnlockOptions unlock;
    CLI::App* unlockCommand = app.add_subcommand(
        "unlock", "Read a published page back: a strong page, or a classic data file");
    unlockCommand
        ->add_option("data-file", unlock.dataFile,
                     "A page published in the strong form, or a classic data file (.zvk)")
        ->required();
    unlockCommand->add_option("-o,--output", unlock.output,
                              "Write the page here instead of standard output");
    AddPasswordOptions(unlockCommand, unlock.password);

    cli::AuditOptions audit;
    CLI::App* auditCommand = app.add_subcommand(
        "audit",
        "Find text of the protected pages in the files of a published folder that a visitor "
        "without the password can read (feeds, sitemaps, search indexes, sources, .gz files, "
        "<meta> tags): one line a file and page, exit status 1 when there is any");
    auditCommand->add_option("folder", audit.folder, "The published folder")->required();
    auditCommand
        ->add_option("--against", audit.against,
                     "The site the folder was published from, whose pages give the protected "
                     "text")
        ->required();

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
        return cli::Lock(lock, *keepTicks);
    }
    if (auditCommand->parsed()) return cli::Audit(audit);
    return cli::Unlock(unlock);
}
