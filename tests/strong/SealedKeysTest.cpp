#include <algorithm>

#include <gtest/gtest.h>

#include "engine/strong/SealedKeys.h"
#include "engine/strong/StrongKey.h"
#include "tests/strong/KnownKey.h"

namespace nemora::engine::strong {
namespace {

using test::Hex;

KeyBytes MasterOf(const std::vector<std::uint8_t>& bytes) {
    KeyBytes master{};
    std::copy(bytes.begin(), bytes.end(), master.begin());
    return master;
}

// From the password through Argon2id to the sealed site's keys: the same
// chain a browser follows.
TEST(SealedKeysTest, SubkeysAreKeyedBlake2bOfTheirTextsUnderTheMasterKey) {
    const test::KnownKey known;
    const auto key = StrongKey::Derive(known.password, test::SaltOf(known.salt), known.parameters);
    ASSERT_TRUE(key.has_value());
    const SealedKeys keys(*key);
    EXPECT_EQ(Hex(keys.ContentKey()), known.contentKey);
    EXPECT_EQ(Hex(keys.NameKey()), known.nameKey);
    EXPECT_EQ(Hex(SealedKeys(MasterOf(test::FromHex(known.master))).NameKey()), known.nameKey);
}

// Known answers from Python's hashlib and base64 (master key 00 01 ... 1f;
// name key = blake2b(b"Nemora sealed name key v1", key=master,
// digest_size=32); name = b32encode(blake2b(path, key=name key,
// digest_size=16)) in lower case without "="). Paths are taken byte for
// byte: case, a trailing '/', a decomposed accent and an escape each give
// another name.
TEST(SealedKeysTest, SealedNamesAreBase32OfTheKeyedHashOfThePath) {
    KeyBytes master{};
    for (std::size_t i = 0; i < master.size(); ++i) master[i] = static_cast<std::uint8_t>(i);
    const SealedKeys keys(master);
    struct Row {
        std::string_view path;
        std::string_view name;
    };
    const Row rows[] = {
        {"index.html", "sz2cu2xjck4f7dz3tpdv2rjfw4"},
        {"Index.html", "oaphp2q4i7hpr2xicflzsixwo4"},
        {"index.html/", "322zzmqet2c4o3wwnwj67caqku"},
        {"a/b/c/style.css", "77qhzzgwf44t3bvfzfqwbj5k7q"},
        {"_static/pygments.css", "3xmkckvcrcp6qeuaeqsn7ttfy4"},
        {"\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e/\xe3\x83\x9a\xe3\x83\xbc\xe3\x82\xb8.html",
         "sdhmsefqb2uxfsvd65uunn5cda"},
        {"caf\xc3\xa9/na\xc3\xafve r\xc3\xa9sum\xc3\xa9.pdf", "ahi4wwy76pfi7j4foxusjhshai"},
        {"cafe\xcc\x81/na\xc3\xafve r\xc3\xa9sum\xc3\xa9.pdf", "jiyz2rjnjwashkkncelvig4yq4"},
        {"a b/%20.png", "owflpm6xzdpoa5ii4uh3veex54"},
        {"", "j5tidzjlpungfjn5eh55nxhpui"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(keys.NameOf(row.path), row.name);
    }
}

TEST(SealedKeysTest, AnotherRunGivesOtherNames) {
    KeyBytes master{};
    const SealedKeys one(master);
    master[31] = 1;
    const SealedKeys other(master);
    EXPECT_NE(one.NameOf("index.html"), other.NameOf("index.html"));
    EXPECT_NE(one.ContentKey(), other.ContentKey());
    EXPECT_NE(one.ContentKey(), one.NameKey());
}

}  // namespace
}  // namespace nemora::engine::strong
