#ifdef _WIN32
#define _CRT_RAND_S  // rand_s, the system's cryptographic generator
#endif

#include "sync/Encryption.h"

#include <nettle/base64.h>
#include <nettle/gcm.h>
#include <nettle/memops.h>
#include <nettle/pbkdf2.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <random>
#include <vector>

#ifndef _WIN32
#include <sys/random.h>
#endif

#include "util/HexText.h"

namespace pernard::sync {

namespace {

constexpr unsigned kIterations = 250000;
constexpr std::size_t kSaltBytes = 64;
constexpr std::size_t kIvBytes = 16;
constexpr std::size_t kTagBytes = GCM_DIGEST_SIZE;

using Bytes = std::vector<std::uint8_t>;

const std::uint8_t* Data(std::string_view text) {
    return reinterpret_cast<const std::uint8_t*>(text.data());
}

// Bytes from the system's cryptographic generator.
void FillRandom(std::uint8_t* out, std::size_t size) {
#ifdef _WIN32
    for (std::size_t k = 0; k < size; ++k) {
        unsigned int value = 0;
        if (rand_s(&value) != 0) value = std::random_device{}();
        out[k] = static_cast<std::uint8_t>(value);
    }
#else
    std::size_t filled = 0;
    while (filled < size) {
        const ssize_t got = getrandom(out + filled, size - filled, 0);
        if (got > 0) {
            filled += static_cast<std::size_t>(got);
        } else if (got < 0 && errno != EINTR) {
            // A kernel without getrandom: the standard library's device (/dev/urandom).
            std::random_device device;
            for (; filled < size; ++filled) out[filled] = static_cast<std::uint8_t>(device());
        }
    }
#endif
}

std::string Base64(const Bytes& bytes) {
    std::string out(BASE64_ENCODE_RAW_LENGTH(bytes.size()), '\0');
    base64_encode_raw(out.data(), bytes.size(), bytes.data());
    return out;
}

std::optional<Bytes> FromBase64(std::string_view text) {
    Bytes out(BASE64_DECODE_LENGTH(text.size()));
    base64_decode_ctx context;
    base64_decode_init(&context);
    std::size_t length = out.size();
    if (!base64_decode_update(&context, &length, out.data(), text.size(), text.data()) ||
        !base64_decode_final(&context)) {
        return std::nullopt;
    }
    out.resize(length);
    return out;
}

// The AES key of a passphrase and a salt text.
std::array<std::uint8_t, 32> KeyOf(std::string_view passphrase, std::string_view salt) {
    std::array<std::uint8_t, 32> key{};
    pbkdf2_hmac_sha256(passphrase.size(), Data(passphrase), kIterations, salt.size(), Data(salt),
                       key.size(), key.data());
    return key;
}

// The two texts of an encrypted body.
struct Envelope {
    std::string ciphertext;
    std::string salt;
};

// A small reader of a flat JSON object whose values are strings, enough for the envelope:
// any order of the members, blanks anywhere JSON allows them, other string members ignored.
class EnvelopeReader {
public:
    explicit EnvelopeReader(std::string_view text) : text_(text) {}

    std::optional<Envelope> Read() {
        Envelope envelope;
        bool hasCiphertext = false;
        bool hasSalt = false;
        if (!Take('{')) return std::nullopt;
        for (bool first = true; !Take('}'); first = false) {
            if (!first && !Take(',')) return std::nullopt;
            std::string name;
            std::string value;
            if (!String(name) || !Take(':') || !String(value)) return std::nullopt;
            if (name == "ciphertext") {
                envelope.ciphertext = std::move(value);
                hasCiphertext = true;
            } else if (name == "salt") {
                envelope.salt = std::move(value);
                hasSalt = true;
            }
        }
        SkipBlanks();
        if (at_ != text_.size() || !hasCiphertext || !hasSalt) return std::nullopt;
        return envelope;
    }

private:
    void SkipBlanks() {
        while (at_ < text_.size() && std::strchr(" \t\r\n", text_[at_]) != nullptr) ++at_;
    }

    bool Take(char c) {
        SkipBlanks();
        if (at_ >= text_.size() || text_[at_] != c) return false;
        ++at_;
        return true;
    }

    // A string without escapes other than \" \\ \/ (base64 and hex need none).
    bool String(std::string& out) {
        if (!Take('"')) return false;
        for (; at_ < text_.size(); ++at_) {
            char c = text_[at_];
            if (c == '"') {
                ++at_;
                return true;
            }
            if (c == '\\') {
                if (++at_ >= text_.size()) return false;
                c = text_[at_];
                if (c != '"' && c != '\\' && c != '/') return false;
            }
            out += c;
        }
        return false;
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

}  // namespace

bool LooksEncrypted(std::string_view body) { return EnvelopeReader(body).Read().has_value(); }

std::string Encrypt(std::string_view plain, std::string_view passphrase) {
    std::uint8_t salt[kSaltBytes];
    std::uint8_t iv[kIvBytes];
    FillRandom(salt, sizeof salt);
    FillRandom(iv, sizeof iv);
    return EncryptWith(plain, passphrase, LowerHex(salt, sizeof salt),
                       std::string_view(reinterpret_cast<const char*>(iv), sizeof iv));
}

// Empty when the IV is not 16 bytes: no other length is read back.
std::string EncryptWith(std::string_view plain, std::string_view passphrase,
                        std::string_view saltHex, std::string_view iv16) {
    if (iv16.size() != kIvBytes) return {};
    const auto key = KeyOf(passphrase, saltHex);
    gcm_aes256_ctx context;
    gcm_aes256_set_key(&context, key.data());
    gcm_aes256_set_iv(&context, iv16.size(), Data(iv16));
    Bytes sealed(kIvBytes + plain.size() + kTagBytes);
    std::memcpy(sealed.data(), iv16.data(), kIvBytes);
    gcm_aes256_encrypt(&context, plain.size(), sealed.data() + kIvBytes, Data(plain));
    gcm_aes256_digest(&context, kTagBytes, sealed.data() + kIvBytes + plain.size());
    return "{\"ciphertext\":\"" + Base64(sealed) + "\",\"salt\":\"" + std::string(saltHex) + "\"}";
}

std::optional<std::string> Decrypt(std::string_view body, std::string_view passphrase) {
    const std::optional<Envelope> envelope = EnvelopeReader(body).Read();
    if (!envelope) return std::nullopt;
    const std::optional<Bytes> sealed = FromBase64(envelope->ciphertext);
    if (!sealed || sealed->size() < kIvBytes + kTagBytes) return std::nullopt;
    const std::size_t length = sealed->size() - kIvBytes - kTagBytes;
    const std::uint8_t* iv = sealed->data();
    const std::uint8_t* cipher = iv + kIvBytes;
    const std::uint8_t* tag = cipher + length;

    const auto key = KeyOf(passphrase, envelope->salt);
    gcm_aes256_ctx context;
    gcm_aes256_set_key(&context, key.data());
    gcm_aes256_set_iv(&context, kIvBytes, iv);
    std::string plain(length, '\0');
    gcm_aes256_decrypt(&context, length, reinterpret_cast<std::uint8_t*>(plain.data()), cipher);
    std::uint8_t digest[kTagBytes];
    gcm_aes256_digest(&context, kTagBytes, digest);
    if (!memeql_sec(digest, tag, kTagBytes)) return std::nullopt;
    return plain;
}

}  // namespace pernard::sync
