#include "util/WhatwgHost.h"

#include <unicode/uidna.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace pernard {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::vector<std::string_view> SplitOnDots(std::string_view text) {
    std::vector<std::string_view> labels;
    std::size_t start = 0;
    while (true) {
        const std::size_t dot = text.find('.', start);
        if (dot == std::string_view::npos) {
            labels.push_back(text.substr(start));
            return labels;
        }
        labels.push_back(text.substr(start, dot - start));
        start = dot + 1;
    }
}

// --- IPv6 -------------------------------------------------------------------------------------

using Ipv6 = std::array<std::uint16_t, 8>;

// The dotted IPv4 tail of an IPv6 address ("::ffff:1.2.3.4") from `at`, into two pieces.
bool ParseIpv6Tail(std::string_view text, std::size_t at, Ipv6& address, int& piece) {
    if (piece > 6) return false;
    int numbersSeen = 0;
    while (at < text.size()) {
        if (numbersSeen > 0) {
            if (text[at] != '.' || numbersSeen >= 4) return false;
            ++at;
        }
        if (at >= text.size() || !IsDigit(text[at])) return false;
        int value = -1;
        while (at < text.size() && IsDigit(text[at])) {
            const int digit = text[at] - '0';
            if (value == 0) return false;  // no leading zeros
            value = value < 0 ? digit : value * 10 + digit;
            if (value > 255) return false;
            ++at;
        }
        address[static_cast<std::size_t>(piece)] =
            static_cast<std::uint16_t>(address[static_cast<std::size_t>(piece)] * 0x100 + value);
        ++numbersSeen;
        if (numbersSeen == 2 || numbersSeen == 4) ++piece;
    }
    return numbersSeen == 4;
}

// The pieces after a "::" moved to the end, the zeros they leave between.
void ExpandCompression(Ipv6& address, int piece, int compress) {
    int swaps = piece - compress;
    int last = 7;
    while (last != 0 && swaps > 0) {
        std::swap(address[static_cast<std::size_t>(last)],
                  address[static_cast<std::size_t>(compress + swaps - 1)]);
        --last;
        --swaps;
    }
}

bool ParseIpv6(std::string_view text, Ipv6& address) {
    address.fill(0);
    int piece = 0;
    int compress = -1;
    std::size_t at = 0;
    if (!text.empty() && text[0] == ':') {
        if (text.size() < 2 || text[1] != ':') return false;
        at = 2;
        compress = ++piece;
    }
    while (at < text.size()) {
        if (piece == 8) return false;
        if (text[at] == ':') {
            if (compress != -1) return false;
            ++at;
            compress = ++piece;
            continue;
        }
        int value = 0;
        std::size_t length = 0;
        while (length < 4 && at < text.size() && HexValue(text[at]) >= 0) {
            value = value * 16 + HexValue(text[at]);
            ++at;
            ++length;
        }
        if (at < text.size() && text[at] == '.') {
            if (length == 0 || !ParseIpv6Tail(text, at - length, address, piece)) return false;
            break;
        }
        if (at < text.size() && text[at] == ':') {
            if (++at >= text.size()) return false;
        } else if (at < text.size()) {
            return false;
        }
        address[static_cast<std::size_t>(piece++)] = static_cast<std::uint16_t>(value);
    }
    if (compress != -1) {
        ExpandCompression(address, piece, compress);
    } else if (piece != 8) {
        return false;
    }
    return true;
}

// Lower-case hex pieces; the first longest run of two or more zero pieces written "::".
std::string SerializeIpv6(const Ipv6& address) {
    int bestStart = -1;
    int bestLength = 1;
    for (int start = 0; start < 8;) {
        int end = start;
        while (end < 8 && address[static_cast<std::size_t>(end)] == 0) ++end;
        if (end - start > bestLength) {
            bestStart = start;
            bestLength = end - start;
        }
        start = end == start ? start + 1 : end;
    }
    std::string out = "[";
    for (int k = 0; k < 8; ++k) {
        if (k == bestStart) {
            out += k == 0 ? "::" : ":";
            k += bestLength - 1;
            continue;
        }
        char piece[8];
        std::snprintf(piece, sizeof piece, "%x", address[static_cast<std::size_t>(k)]);
        out += piece;
        if (k != 7) out += ':';
    }
    return out + "]";
}

// --- IPv4 -------------------------------------------------------------------------------------

// One number of an IPv4 address: decimal, octal with a leading 0, hex after 0x. Values past
// 2^32 are clamped there (every one of them is refused later).
std::optional<std::uint64_t> ParseIpv4Number(std::string_view label) {
    if (label.empty()) return std::nullopt;
    int radix = 10;
    if (label.size() >= 2 && label[0] == '0' && (label[1] == 'x' || label[1] == 'X')) {
        radix = 16;
        label.remove_prefix(2);
    } else if (label.size() >= 2 && label[0] == '0') {
        radix = 8;
        label.remove_prefix(1);
    }
    std::uint64_t value = 0;
    for (char c : label) {
        const int digit = HexValue(c);
        if (digit < 0 || digit >= radix) return std::nullopt;
        value = std::min<std::uint64_t>(value * static_cast<std::uint64_t>(radix) + digit,
                                        std::uint64_t{1} << 33);
    }
    return value;
}

// Whether the host's last label is a number, which makes the whole host an IPv4 address.
bool EndsInNumber(std::string_view host) {
    std::vector<std::string_view> labels = SplitOnDots(host);
    if (labels.back().empty()) {
        if (labels.size() == 1) return false;
        labels.pop_back();
    }
    const std::string_view last = labels.back();
    bool digits = !last.empty();
    for (char c : last) digits = digits && IsDigit(c);
    return digits || ParseIpv4Number(last).has_value();
}

std::optional<std::string> ParseIpv4(std::string_view host) {
    std::vector<std::string_view> labels = SplitOnDots(host);
    if (labels.back().empty() && labels.size() > 1) labels.pop_back();
    if (labels.size() > 4) return std::nullopt;
    std::vector<std::uint64_t> numbers;
    for (std::string_view label : labels) {
        const std::optional<std::uint64_t> number = ParseIpv4Number(label);
        if (!number) return std::nullopt;
        numbers.push_back(*number);
    }
    const std::size_t count = numbers.size();
    for (std::size_t k = 0; k + 1 < count; ++k) {
        if (numbers[k] > 255) return std::nullopt;
    }
    if (numbers.back() >= (std::uint64_t{1} << (8 * (5 - count)))) return std::nullopt;
    std::uint64_t address = numbers.back();
    for (std::size_t k = 0; k + 1 < count; ++k) address += numbers[k] << (8 * (3 - k));
    return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 255) + "." +
           std::to_string((address >> 8) & 255) + "." + std::to_string(address & 255);
}

// --- domains ----------------------------------------------------------------------------------

// The bytes no host may hold; a domain refuses "%", the controls and DEL too.
bool IsForbiddenHostByte(unsigned char c) {
    return c == 0 || c == '\t' || c == '\n' || c == '\r' || c == ' ' ||
           std::strchr("#/:<>?@[\\]^|", c) != nullptr;
}

bool IsForbiddenDomainByte(unsigned char c) {
    return IsForbiddenHostByte(c) || c < 0x20 || c == '%' || c == 0x7F;
}

std::string PercentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t k = 0; k < text.size(); ++k) {
        if (text[k] == '%' && k + 2 < text.size() && HexValue(text[k + 1]) >= 0 &&
            HexValue(text[k + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[k + 1]) * 16 + HexValue(text[k + 2]));
            k += 2;
        } else {
            out += text[k];
        }
    }
    return out;
}

// Unicode's mapping of international domain names to ASCII (ICU's UTS46) with the standard's
// options: not transitional, bidi and joiner rules checked, no hyphen or DNS length rules, no
// STD3 restriction (the forbidden bytes are checked afterwards instead).
const UIDNA* Idna() {
    struct Close {
        void operator()(UIDNA* idna) const { uidna_close(idna); }
    };
    static const std::unique_ptr<UIDNA, Close> idna = [] {
        UErrorCode status = U_ZERO_ERROR;
        UIDNA* opened =
            uidna_openUTS46(UIDNA_CHECK_BIDI | UIDNA_CHECK_CONTEXTJ |
                                UIDNA_NONTRANSITIONAL_TO_ASCII | UIDNA_NONTRANSITIONAL_TO_UNICODE,
                            &status);
        return std::unique_ptr<UIDNA, Close>(U_SUCCESS(status) ? opened : nullptr);
    }();
    return idna.get();
}

constexpr std::uint32_t kIgnoredIdnaErrors =
    UIDNA_ERROR_EMPTY_LABEL | UIDNA_ERROR_LABEL_TOO_LONG | UIDNA_ERROR_DOMAIN_NAME_TOO_LONG |
    UIDNA_ERROR_LEADING_HYPHEN | UIDNA_ERROR_TRAILING_HYPHEN | UIDNA_ERROR_HYPHEN_3_4;

bool NeedsIdna(std::string_view domain) {
    for (char c : domain) {
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    }
    for (std::string_view label : SplitOnDots(domain)) {
        if (label.size() >= 4 && (label[0] | 0x20) == 'x' && (label[1] | 0x20) == 'n' &&
            label[2] == '-' && label[3] == '-') {
            return true;
        }
    }
    return false;
}

std::optional<std::string> DomainToAscii(std::string_view domain) {
    if (!NeedsIdna(domain)) {
        std::string lower(domain);
        for (char& c : lower) {
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        }
        return lower;
    }
    const UIDNA* idna = Idna();
    if (idna == nullptr || domain.size() > 0x7FFFFFFF / 4) return std::nullopt;
    std::string out(domain.size() * 4 + 64, '\0');
    UIDNAInfo info = UIDNA_INFO_INITIALIZER;
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length =
        uidna_nameToASCII_UTF8(idna, domain.data(), static_cast<int32_t>(domain.size()), out.data(),
                               static_cast<int32_t>(out.size()), &info, &status);
    if (U_FAILURE(status) || (info.errors & ~kIgnoredIdnaErrors) != 0) return std::nullopt;
    out.resize(static_cast<std::size_t>(length));
    return out;
}

}  // namespace

void AppendPercentByte(std::string& out, unsigned char byte) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += '%';
    out += kHex[byte >> 4];
    out += kHex[byte & 15];
}

std::optional<std::string> ParseWhatwgHost(std::string_view input, bool opaque) {
    if (!input.empty() && input[0] == '[') {
        Ipv6 address;
        if (input.back() != ']' || !ParseIpv6(input.substr(1, input.size() - 2), address)) {
            return std::nullopt;
        }
        return SerializeIpv6(address);
    }
    if (opaque) {
        std::string out;
        for (char c : input) {
            const auto byte = static_cast<unsigned char>(c);
            if (IsForbiddenHostByte(byte)) return std::nullopt;
            if (byte < 0x20 || byte > 0x7E) {
                AppendPercentByte(out, byte);
            } else {
                out += c;
            }
        }
        return out;
    }
    const std::optional<std::string> ascii = DomainToAscii(PercentDecode(input));
    if (!ascii || ascii->empty()) return std::nullopt;
    for (char c : *ascii) {
        if (IsForbiddenDomainByte(static_cast<unsigned char>(c))) return std::nullopt;
    }
    return EndsInNumber(*ascii) ? ParseIpv4(*ascii) : ascii;
}

}  // namespace pernard
