#include "formats/favorites/FavoriteNames.h"

#include <algorithm>
#include <array>

#include "util/Text.h"
#include "util/TextFold.h"

namespace pernard {

namespace {

// The characters a Windows file name cannot hold besides the control characters.
constexpr std::string_view kNotInWindowsNames = "\\/:*?\"<>|";

// The names Windows gives devices, in every directory, with any extension.
constexpr std::array<std::string_view, 4> kDeviceNames = {"con", "prn", "aux", "nul"};

bool IsDeviceName(std::string_view stem) {
    const std::string lowered = LowerAscii(TrimBlanks(stem));
    for (const std::string_view device : kDeviceNames) {
        if (lowered == device) return true;
    }
    // COM0-COM9 and LPT0-LPT9, and the superscript digits ¹ ² ³ that Windows takes for 1 2 3.
    const std::string_view prefix = std::string_view(lowered).substr(0, 3);
    if (lowered.size() < 4 || (prefix != "com" && prefix != "lpt")) {
        return false;
    }
    const std::string_view number = std::string_view(lowered).substr(3);
    return (number.size() == 1 && number[0] >= '0' && number[0] <= '9') || number == "\xC2\xB9" ||
           number == "\xC2\xB2" || number == "\xC2\xB3";
}

// The full-width form of a printable ASCII character.
void AppendFullWidth(char c, std::string& out) {
    AppendUtf8(out, 0xFEE0 + static_cast<unsigned char>(c));
}

// `name` cut at a character boundary so that it takes at most `bytes` bytes.
std::string CutToBytes(const std::string& name, std::size_t bytes) {
    if (name.size() <= bytes) return name;
    std::size_t end = 0;
    for (std::size_t at = 0; at < name.size();) {
        const int size = CharSize(name, at);
        if (at + static_cast<std::size_t>(size) > bytes) break;
        at += static_cast<std::size_t>(size);
        end = at;
    }
    return name.substr(0, end);
}

// A directory name whose trailing dots and blanks (which Windows drops) are full-width.
std::string WithWindowsEnd(const std::string& name) {
    std::size_t end = name.size();
    while (end > 0 && (name[end - 1] == '.' || name[end - 1] == ' ')) --end;
    std::string out = name.substr(0, end);
    for (std::size_t at = end; at < name.size(); ++at) {
        AppendUtf8(out, name[at] == '.' ? 0xFF0E : 0x3000);
    }
    return out;
}

// `name` shortened to at most `bytes` bytes; a directory's stays without a trailing dot or
// blank.
std::string FitName(const std::string& name, std::size_t bytes, bool directory) {
    std::string cut = CutToBytes(name, bytes);
    if (!directory) return cut;
    for (;;) {
        const std::string ended = WithWindowsEnd(cut);
        if (ended.size() <= bytes) return ended;
        cut = CutToBytes(cut, cut.size() - 1);
    }
}

}  // namespace

std::string PortableFileName(std::string_view name, bool directory) {
    std::string out;
    out.reserve(name.size());
    for (std::size_t at = 0; at < name.size();) {
        const std::size_t start = at;
        NextChar(name, at);
        const unsigned char c = static_cast<unsigned char>(name[start]);
        if (at - start == 1 && c < 0x20) {
            AppendUtf8(out, 0x2400 + c);
        } else if (at - start == 1 &&
                   kNotInWindowsNames.find(static_cast<char>(c)) != std::string_view::npos) {
            AppendFullWidth(static_cast<char>(c), out);
        } else {
            out.append(name.substr(start, at - start));
        }
    }
    // Windows takes a device name for the device whatever extension follows it.
    const std::size_t stemEnd = std::min(out.find('.'), out.size());
    if (IsDeviceName(std::string_view(out).substr(0, stemEnd))) {
        std::string device;
        for (std::size_t k = 0; k < stemEnd; ++k) {
            const unsigned char c = static_cast<unsigned char>(out[k]);
            if (c > 0x20 && c < 0x7F) {
                AppendFullWidth(out[k], device);
            } else {
                device += out[k];
            }
        }
        out = device + out.substr(stemEnd);
    }
    if (!directory) return out;
    // The reader passes over directories whose name starts with "." (hidden on Linux): a
    // folder's leading dot is full-width, so that the next read finds what this save wrote.
    if (!out.empty() && out[0] == '.') out.replace(0, 1, "\xEF\xBC\x8E");
    return WithWindowsEnd(out);
}

bool HoldsSeparator(std::string_view name) {
#ifdef _WIN32
    constexpr std::string_view kSeparators("/\\\0", 3);
#else
    constexpr std::string_view kSeparators("/\0", 2);
#endif
    return name.find_first_of(kSeparators) != std::string_view::npos;
}

bool IsPlainFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && !HoldsSeparator(name);
}

std::string NamesInDirectory::Claim(const std::string& name, const std::string& suffix,
                                    bool readHere) {
    const std::size_t room = kLongestFileName - suffix.size();
    const bool directory = suffix.empty();
    if (name.size() <= room && readHere && exact_.insert(name + suffix).second) {
        used_.insert(FileNameCaseKey(name + suffix));
        return name;
    }
    std::string chosen = FitName(name, room, directory);
    for (int n = 2; !used_.insert(FileNameCaseKey(chosen + suffix)).second; ++n) {
        const std::string number = " (" + std::to_string(n) + ")";
        chosen = FitName(name, room - number.size(), directory) + number;
    }
    exact_.insert(chosen + suffix);
    return chosen;
}

}  // namespace pernard
