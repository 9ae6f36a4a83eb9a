#pragma once
// The optional encryption of the shared file, as the browsers' sync extension does it: the body
// becomes {"ciphertext":"B64","salt":"HEX"}. The salt is 64 random bytes written as 128 hex
// characters and used as that ASCII text; the key is PBKDF2-HMAC-SHA256 of the passphrase (UTF-8)
// with that salt text, 250 000 iterations, 32 bytes; the cipher AES-256-GCM with a 16-byte IV, and
// B64 the base64 of IV, ciphertext and the 16-byte tag.

#include <optional>
#include <string>
#include <string_view>

namespace pernard::sync {

// Whether the body is an encrypted one (the JSON object above), whatever its passphrase.
bool LooksEncrypted(std::string_view body);
// The encrypted body of `plain`, with a fresh salt and IV.
std::string Encrypt(std::string_view plain, std::string_view passphrase);
// The same with the salt text and IV given (the tests' fixed vectors).
std::string EncryptWith(std::string_view plain, std::string_view passphrase,
                        std::string_view saltHex, std::string_view iv16);
// The plain text of an encrypted body; nullopt when it is not one, or the passphrase is wrong
// (the tag does not match).
std::optional<std::string> Decrypt(std::string_view body, std::string_view passphrase);

}  // namespace pernard::sync
