#include "cli/UnlockCommand.h"

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/DataFileCheck.h"
#include "cli/ExitCode.h"
#include "cli/FileBytes.h"
#include "cli/Report.h"
#include "engine/StreamFormat.h"
#include "engine/StreamReader.h"
#include "engine/strong/SealedFileReader.h"
#include "engine/strong/SealedScript.h"
#include "engine/strong/StrongReader.h"
#include "publish/SealedSiteReader.h"
#include "publish/StrongPage.h"
#include "publish/TextCodec.h"

namespace nemora::cli {
namespace {

// The largest data file: a stream counted in 32 bits and the name block.
constexpr std::uint64_t kLargestDataFile = 0xFFFFFFFFull + engine::StreamFormat::kMaxCharCodeBlock;

// What cannot be read as a data file: its message and exit status. A file
// that cannot be had at all is not a damaged one.
std::pair<CliText, ExitCode> ReadProblem(FileBytes::Outcome outcome) {
    switch (outcome) {
        case FileBytes::Outcome::NotAFile:
            return {CliText::NotADataFile, kExitBadDataFile};
        case FileBytes::Outcome::TooLarge:
            return {CliText::DataFileTooLarge, kExitBadDataFile};
        case FileBytes::Outcome::ReadFailed:
            return {CliText::ReadFailed, kExitFile};
        default:
            return {CliText::CannotOpen, kExitFile};
    }
}

// The strong lock's container, given as itself or inside a published page;
// nothing for the default form's data file.
std::optional<std::vector<std::uint8_t>> StrongContainer(const std::vector<std::uint8_t>& data) {
    if (engine::strong::StrongReader::IsContainer(data.data(), data.size())) return data;
    return publish::StrongPage::ReadContainer(data);
}

// Writes the page or file read back to -o's file or standard output.
int WriteOut(const UnlockOptions& options, const std::vector<std::uint8_t>& bytes) {
    if (options.output.empty()) {
        std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    } else if (!WriteFileBytes(options.output, bytes)) {
        Report(options.output, CliText::CannotWrite);
        return kExitFile;
    }
    return kExitOk;
}

bool IsSealedScript(const std::vector<std::uint8_t>& data) {
    return std::string_view(reinterpret_cast<const char*>(data.data()), data.size())
        .starts_with("nemoraSealed(\"");
}

// A sealed site's file, from the script that carries it: the key comes from
// the password and a page published beside it, the file's site path from
// the site's manifest.
int UnlockSealed(const UnlockOptions& options, const std::vector<std::uint8_t>& data) {
    std::string name;
    std::vector<std::uint8_t> sealed;
    if (engine::strong::ReadSealedScript({reinterpret_cast<const char*>(data.data()), data.size()},
                                         name, sealed) != engine::Result::Ok) {
        Report(options.dataFile, engine::Result::DataCorrupt);
        return kExitBadDataFile;
    }
    const std::string top = publish::SealedSiteReader::TopOf(options.dataFile);
    const std::optional<std::vector<std::uint8_t>> container =
        top.empty() ? std::nullopt : publish::SealedSiteReader::KeyContainer(top);
    if (!container) {
        Report(options.dataFile, CliText::SealedWithoutSite);
        return kExitBadDataFile;
    }
    std::optional<engine::SecretString> password =
        ReadPasswordOrSay(options.password, PasswordEntry::TypedOnce);
    if (!password) return kExitPassword;
    // The page's key check tells a wrong password; its key is the run's.
    std::optional<engine::strong::StrongKey> key;
    const engine::UnlockedPage page = engine::strong::StrongReader::Read(
        container->data(), container->size(), [&](const engine::strong::ContainerHeader& header) {
            key = engine::strong::StrongKey::Derive(password->View(), header.salt, header.kdf);
            return key;
        });
    password.reset();
    if (page.status != engine::Result::Ok) {
        Report(options.dataFile, page.status);
        return page.status == engine::Result::WrongPassword ? kExitWrongPassword : kExitBadDataFile;
    }
    const engine::strong::SealedKeys keys(*key);
    const std::optional<std::string> path = publish::SealedSiteReader::PathOf(keys, top, name);
    if (!path) {
        Report(options.dataFile, CliText::SealedNotListed);
        return kExitBadDataFile;
    }
    std::vector<std::uint8_t> bytes;
    if (const engine::Result opened =
            engine::strong::SealedFileReader(keys).Open(sealed.data(), sealed.size(), *path, bytes);
        opened != engine::Result::Ok) {
        Report(options.dataFile, opened);
        return kExitBadDataFile;
    }
    std::fprintf(stderr, "%s: %s\n", options.dataFile.c_str(),
                 Text(CliText::SealedFileOpened, *path).c_str());
    return WriteOut(options, bytes);
}

}  // namespace

int Unlock(const UnlockOptions& options) {
    // The file first: no password is typed for a file that is no data file.
    const FileBytes file = ReadFileBytes(options.dataFile, kLargestDataFile);
    if (file.outcome != FileBytes::Outcome::Ok) {
        const auto [text, status] = ReadProblem(file.outcome);
        Report(options.dataFile, text);
        return status;
    }
    const std::vector<std::uint8_t>& data = file.bytes;
    if (IsSealedScript(data)) return UnlockSealed(options, data);
    const std::optional<std::vector<std::uint8_t>> strong = StrongContainer(data);
    if (!strong && RefuseNonDataFile(options.dataFile, data)) return kExitBadDataFile;
    std::optional<engine::SecretString> password =
        ReadPasswordOrSay(options.password, PasswordEntry::TypedOnce);
    if (!password) return kExitPassword;
    engine::UnlockedPage unlocked;
    if (strong) {
        // The strong lock takes the password as typed (UTF-8); the key is
        // kept for a sealed site's page, whose text is in its sealed file.
        std::optional<engine::strong::StrongKey> key;
        unlocked = engine::strong::StrongReader::Read(
            strong->data(), strong->size(), [&](const engine::strong::ContainerHeader& header) {
                key = engine::strong::StrongKey::Derive(password->View(), header.salt, header.kdf);
                return key;
            });
        if (unlocked.status == engine::Result::Ok && key) {
            engine::Result failure = engine::Result::Ok;
            if (auto text = publish::SealedSiteReader::OpenPage(
                    options.dataFile, unlocked, engine::strong::SealedKeys(*key), failure)) {
                unlocked.page = std::move(*text);
                unlocked.encodingName.clear();
            } else if (failure != engine::Result::Ok) {
                unlocked.status = failure;
            }
        }
    } else {
        const std::optional<engine::SecretString> cp932 =
            publish::TextCodec::PasswordToCp932(password->View());
        if (!cp932) {
            Report(kProgram, engine::Result::PasswordNotShiftJis);
            return kExitPassword;
        }
        const engine::Key key = engine::DeriveKey(cp932->View());
        unlocked = engine::StreamReader(key).Read(data.data(), data.size());
    }
    password.reset();
    if (unlocked.status != engine::Result::Ok) {
        Report(options.dataFile, unlocked.status);
        return unlocked.status == engine::Result::WrongPassword ? kExitWrongPassword
                                                                : kExitBadDataFile;
    }
    std::fprintf(stderr, "%s: %zu bytes, encoding \"%s\"\n", options.dataFile.c_str(),
                 unlocked.page.size(), unlocked.encodingName.c_str());
    return WriteOut(options, unlocked.page);
}

}  // namespace nemora::cli
