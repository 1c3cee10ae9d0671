// nemora-cli: locks a page into a data file and reads a data file back,
// without any window.

#include <cstdio>
#include <iostream>
#include <string>

#include <CLI/CLI.hpp>

#include "cli/FileBytes.h"
#include "engine/Key.h"
#include "engine/LockedDocument.h"
#include "engine/ResultCode.h"
#include "engine/StreamFormat.h"
#include "engine/StreamReader.h"

namespace {

using namespace nemora;

enum ExitStatus { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

struct Options {
    std::string input;
    std::string output;
    std::string password;
    std::string encoding = "shift_jis";
};

int Fail(const std::string& what) {
    std::cerr << "nemora-cli: " << what << "\n";
    return kExitFailed;
}

void PrintHexHead(const std::vector<std::uint8_t>& bytes) {
    const std::size_t shown = std::min<std::size_t>(bytes.size(), 32);
    std::printf("first %zu bytes:", shown);
    for (std::size_t i = 0; i < shown; ++i)
        std::printf("%s%02x", i % 8 == 0 ? "  " : " ", bytes[i]);
    std::printf("\n");
}

std::string Describe(engine::Result result) {
    return std::string(engine::ResultName(result)) + " (" +
           std::to_string(engine::ResultId(result)) + ")";
}

int Lock(const Options& options) {
    engine::LockedDocument document;
    document.SetCharCodeName(options.encoding);
    engine::Result result = document.Load(nullptr, options.input);
    if (result == engine::Result::Ok) result = document.Compress(nullptr);
    if (result != engine::Result::Ok) {
        return Fail("cannot load " + options.input + ": " + Describe(result));
    }
    result = document.Encrypt(nullptr, options.password, true);
    if (result == engine::Result::Ok) result = document.WriteDataFile(nullptr, options.output);
    if (result != engine::Result::Ok) {
        return Fail("cannot write " + options.output + ": " + Describe(result));
    }
    std::printf("locked %s (%u bytes) into %s (%u bytes, encoding \"%s\")\n", options.input.c_str(),
                document.PageSize(), options.output.c_str(), document.DataSize(),
                options.encoding.c_str());
    if (const auto head = cli::ReadFileHead(options.output, 32)) PrintHexHead(*head);
    return kExitOk;
}

int Unlock(const Options& options) {
    const auto data = cli::ReadFileBytes(options.input);
    if (!data) return Fail("cannot read " + options.input);

    const engine::StreamReader reader(engine::DeriveKey(options.password));
    const engine::UnlockedPage unlocked = reader.Read(data->data(), data->size());
    if (unlocked.status != engine::ReadStatus::Ok) {
        return Fail(options.input + ": " + engine::ReadStatusName(unlocked.status));
    }
    std::fprintf(stderr, "unlocked %s: %zu bytes, encoding \"%s\"\n", options.input.c_str(),
                 unlocked.page.size(), unlocked.encodingName.c_str());
    if (!options.output.empty()) {
        if (!cli::WriteFileBytes(options.output, unlocked.page)) {
            return Fail("cannot write " + options.output);
        }
        return kExitOk;
    }
    std::fwrite(unlocked.page.data(), 1, unlocked.page.size(), stdout);
    return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Nemora: lock an HTML page with a password, and read a locked page back."};
    app.require_subcommand(1);
    Options options;

    CLI::App* lock = app.add_subcommand("lock", "Compress and encipher a page into a data file");
    lock->add_option("page", options.input, "The HTML page to lock")->required();
    lock->add_option("data-file", options.output, "The data file to write")->required();
    lock->add_option("-p,--password", options.password, "The password (bytes as given)");
    lock->add_option("-e,--encoding", options.encoding,
                     "The page's character-code name, stored for the decoder")
        ->capture_default_str();

    CLI::App* unlock = app.add_subcommand("unlock", "Read a data file back into the page");
    unlock->add_option("data-file", options.input, "The data file to read")->required();
    unlock->add_option("-p,--password", options.password, "The password");
    unlock->add_option("-o,--output", options.output, "Write the page here instead of stdout");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int status = app.exit(e);
        return status == 0 ? kExitOk : kExitUsage;
    }
    return lock->parsed() ? Lock(options) : Unlock(options);
}
