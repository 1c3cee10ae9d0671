#include "publish/PageOpener.h"

#include "engine/strong/StrongReader.h"
#include "publish/InputPage.h"
#include "publish/SealedSiteReader.h"
#include "publish/StrongPage.h"
#include "publish/TextCodec.h"
#include "publish/WholeFile.h"

namespace nemora::publish {
namespace {

// No page or data file is read past this.
constexpr std::uint64_t kLargestFile = 1ull << 32;

engine::UnlockedPage Failed(engine::Result status) {
    engine::UnlockedPage failed;
    failed.status = status;
    return failed;
}

}  // namespace

PageOpener::PageOpener(std::string folder, engine::SecretString password)
    : folder_(std::move(folder)), password_(std::move(password)) {}

PageOpener::~PageOpener() {
    if (classic_) engine::WipeBytes(classic_->data(), classic_->size());
}

engine::UnlockedPage PageOpener::Open(const std::string& relative) {
    const std::optional<std::vector<std::uint8_t>> page =
        ReadWholeFile(folder_ + "/" + relative, kLargestFile);
    if (!page) return Failed(engine::Result::CannotOpen);
    if (const std::optional<std::vector<std::uint8_t>> container = StrongPage::ReadContainer(*page))
        return OpenStrong(relative, *container);
    return OpenClassic(relative, *page);
}

engine::UnlockedPage PageOpener::OpenStrong(const std::string& relative,
                                            const std::vector<std::uint8_t>& container) {
    using engine::strong::StrongKey;
    std::optional<StrongKey> used;
    engine::UnlockedPage opened = engine::strong::StrongReader::Read(
        container.data(), container.size(),
        [&](const engine::strong::ContainerHeader& header) -> std::optional<StrongKey> {
            const std::lock_guard<std::mutex> lock(keys_);
            for (const Derived& derived : strong_) {
                if (derived.salt == header.salt && derived.kdf == header.kdf) {
                    return used = derived.key;
                }
            }
            strong_.push_back({header.salt, header.kdf,
                               StrongKey::Derive(password_.View(), header.salt, header.kdf)});
            return used = strong_.back().key;
        });
    // A sealed site's page carries its path; its text is in its sealed file.
    if (opened.status == engine::Result::Ok && used) {
        engine::Result failure = engine::Result::Ok;
        if (auto text = SealedSiteReader::OpenPage(folder_ + "/" + relative, opened,
                                                   engine::strong::SealedKeys(*used), failure)) {
            opened.page = std::move(*text);
        } else if (failure != engine::Result::Ok) {
            return Failed(failure);
        }
    }
    return opened;
}

engine::UnlockedPage PageOpener::OpenClassic(const std::string& relative,
                                             const std::vector<std::uint8_t>& loader) {
    // The data file beside the page, or in a folder under or over it; an
    // address elsewhere is not the folder's to read.
    const std::optional<std::string> named = InputPage::LoaderDataFile(loader);
    if (!named || named->starts_with('/') || named->find(':') != std::string::npos)
        return Failed(engine::Result::CannotOpen);
    const std::size_t slash = relative.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : relative.substr(0, slash + 1);
    const std::optional<std::vector<std::uint8_t>> data =
        ReadWholeFile(folder_ + "/" + folder + *named, kLargestFile);
    if (!data) return Failed(engine::Result::CannotOpen);
    std::optional<engine::Key> key;
    {
        const std::lock_guard<std::mutex> lock(keys_);
        if (!classicTried_) {
            // The classic form holds the password in code page 932.
            if (const std::optional<engine::SecretString> cp932 =
                    TextCodec::PasswordToCp932(password_.View()))
                classic_ = engine::DeriveKey(cp932->View());
            classicTried_ = true;
        }
        key = classic_;
    }
    // A password the classic form cannot hold is not the one it was locked with.
    if (!key) return Failed(engine::Result::WrongPassword);
    return engine::StreamReader(*key).Read(data->data(), data->size());
}

}  // namespace nemora::publish
