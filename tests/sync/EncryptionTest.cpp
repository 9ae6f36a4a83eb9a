// The shared file's optional encryption: what it seals opens again with the passphrase, a fixed
// salt and IV give the bytes computed apart from this code (Python's hashlib and cryptography),
// and a wrong passphrase, a changed byte or a body that is not the envelope open to nothing.
// Each sealing or opening derives a key over 250 000 rounds: the cases are few.

#include <gtest/gtest.h>

#include <set>

#include "sync/Encryption.h"

using namespace pernard::sync;

namespace {

const std::string kPassphrase = "パスフレーズ pass";
const std::string kSalt =
    "0b30557a9fc4e90e33587da2c7ec11365b80a5caef14395e83a8cdf2173c6186"
    "abd0f51a3f6489aed3f81d42678cb1d6fb20456a8fb4d9fe23486d92b7dc0126";
const std::string kIv = "\x10\x11\x12\x13\x14\x15\x16\x17\x18\x19\x1a\x1b\x1c\x1d\x1e\x1f";
const std::string kPlain = "ブックマーク <xbel> & \"quotes\"\n";
const std::string kCiphertext =
    "EBESExQVFhcYGRobHB0eH7cUKN8AbzgDtnzOVyXtUMmLyQf9k1J+fSOUfxGekGTCcLiXF7f0n/i6p5HJXIkAeOr/rvPQ";
const std::string kSealed = "{\"ciphertext\":\"" + kCiphertext + "\",\"salt\":\"" + kSalt + "\"}";

}  // namespace

TEST(Encryption, SealsWhatOpensAgainAndMatchesTheFixedVector) {
    EXPECT_EQ(EncryptWith(kPlain, kPassphrase, kSalt, kIv), kSealed);
    // The members in the other order, blanks between the tokens.
    const std::string reordered =
        " {\n  \"salt\" : \"" + kSalt + "\",\n  \"ciphertext\" : \"" + kCiphertext + "\"\n}\n";
    EXPECT_TRUE(LooksEncrypted(reordered));
    EXPECT_EQ(Decrypt(reordered, kPassphrase), kPlain);

    std::set<std::string> salts;
    for (const std::string& plain : {kPlain, std::string(), std::string(1 << 20, 'z')}) {
        SCOPED_TRACE(plain.size());
        const std::string sealed = Encrypt(plain, kPassphrase);
        EXPECT_TRUE(LooksEncrypted(sealed));
        EXPECT_EQ(sealed.rfind("{\"ciphertext\":\"", 0), 0u);
        const std::size_t salt = sealed.find("\"salt\":\"");
        ASSERT_NE(salt, std::string::npos);
        const std::string saltText = sealed.substr(salt + 8, 128);
        EXPECT_EQ(saltText.find_first_not_of("0123456789abcdef"), std::string::npos);
        EXPECT_EQ(sealed.substr(salt + 8 + 128), "\"}");
        salts.insert(saltText);
        EXPECT_EQ(Decrypt(sealed, kPassphrase), plain);
    }
    EXPECT_EQ(salts.size(), 3u);  // a fresh salt each time
}

TEST(Encryption, WhatDoesNotOpenIsNothing) {
    std::string changedByte = kSealed;
    changedByte[40] = changedByte[40] == 'A' ? 'B' : 'A';
    std::string changedSalt = kSealed;
    changedSalt[changedSalt.size() - 3] = '0';
    struct Case {
        const char* what;
        std::string body;
        std::string passphrase;
        bool looksEncrypted;
    };
    const Case cases[] = {
        {"a wrong passphrase", kSealed, "パスフレーズ", true},
        {"a changed ciphertext byte", changedByte, kPassphrase, true},
        {"a changed salt", changedSalt, kPassphrase, true},
        {"too short for IV and tag", "{\"ciphertext\":\"AAAA\",\"salt\":\"00\"}", kPassphrase,
         true},
        {"not base64", "{\"ciphertext\":\"*?*\",\"salt\":\"00\"}", kPassphrase, true},
        {"no salt", "{\"ciphertext\":\"" + kCiphertext + "\"}", kPassphrase, false},
        {"text after the object", kSealed + "x", kPassphrase, false},
        {"a bookmark file", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xbel/>", kPassphrase,
         false},
        {"empty", "", kPassphrase, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(LooksEncrypted(c.body), c.looksEncrypted);
        EXPECT_EQ(Decrypt(c.body, c.passphrase), std::nullopt);
    }
}
