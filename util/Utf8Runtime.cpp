// Windows only. The program's narrow texts are UTF-8, file names included; the C runtime it is
// linked with (msvcrt) converts narrow texts with the locale's code page instead, and the C++
// library's std::filesystem::path converts its narrow names through these multibyte calls of
// the runtime. Defined here, they convert UTF-8, so that a path made from a UTF-8 std::string
// names the file it says ("日本.htm", not its bytes read as Latin-1). The C library's narrow
// file calls (fopen, rename) follow the process code page, which the programs' manifest
// (cmake/windows/utf8.manifest) sets to UTF-8.
//
// The calls convert one character per wide unit: a character beyond U+FFFF (it needs two)
// does not convert, as before.

#ifdef _WIN32

#include <windows.h>

#include <cerrno>
#include <cwchar>

namespace {

constexpr std::size_t kFailed = static_cast<std::size_t>(-1);
constexpr std::size_t kIncomplete = static_cast<std::size_t>(-2);

std::size_t Utf8ToWide(wchar_t* out, const char* in, std::size_t count) {
    if (in == nullptr) return 0;
    if (count == 0) return kIncomplete;
    const auto lead = static_cast<unsigned char>(*in);
    if (lead < 0x80) {
        if (out != nullptr) *out = lead;
        return lead == 0 ? 0 : 1;
    }
    const std::size_t size = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (size == 0 || size == 4) {
        errno = EILSEQ;
        return kFailed;
    }
    if (size > count) return kIncomplete;
    wchar_t unit[2];
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, in, static_cast<int>(size), unit, 2) !=
        1) {
        errno = EILSEQ;
        return kFailed;
    }
    if (out != nullptr) *out = unit[0];
    return size;
}

std::size_t WideToUtf8(char* out, wchar_t unit) {
    if (out == nullptr) return 1;
    if (unit >= 0xD800 && unit <= 0xDFFF) {
        errno = EILSEQ;
        return kFailed;
    }
    char bytes[4];
    const int size = WideCharToMultiByte(CP_UTF8, 0, &unit, 1, bytes, 4, nullptr, nullptr);
    if (size <= 0) {
        errno = EILSEQ;
        return kFailed;
    }
    for (int k = 0; k < size; ++k) out[k] = bytes[k];
    return static_cast<std::size_t>(size);
}

}  // namespace

extern "C" {

std::size_t mbrtowc(wchar_t* out, const char* in, std::size_t count, mbstate_t*) {
    return Utf8ToWide(out, in, count);
}

std::size_t mbrlen(const char* in, std::size_t count, mbstate_t*) {
    return Utf8ToWide(nullptr, in, count);
}

std::size_t mbsrtowcs(wchar_t* out, const char** in, std::size_t count, mbstate_t*) {
    std::size_t written = 0;
    const char* at = *in;
    while (out == nullptr || written < count) {
        wchar_t unit = 0;
        const std::size_t size = Utf8ToWide(&unit, at, 4);
        if (size == kFailed || size == kIncomplete) return kFailed;
        if (size == 0) {
            if (out != nullptr) {
                out[written] = L'\0';
                *in = nullptr;
            }
            return written;
        }
        if (out != nullptr) out[written] = unit;
        ++written;
        at += size;
    }
    *in = at;
    return written;
}

std::size_t wcrtomb(char* out, wchar_t unit, mbstate_t*) { return WideToUtf8(out, unit); }

std::size_t wcsrtombs(char* out, const wchar_t** in, std::size_t count, mbstate_t*) {
    std::size_t written = 0;
    const wchar_t* at = *in;
    for (;; ++at) {
        char bytes[4];
        const std::size_t size = *at == L'\0' ? 1 : WideToUtf8(bytes, *at);
        if (size == kFailed) return kFailed;
        if (*at == L'\0') bytes[0] = '\0';
        if (out != nullptr) {
            if (written + size > count) break;
            for (std::size_t k = 0; k < size; ++k) out[written + k] = bytes[k];
        }
        if (*at == L'\0') {
            if (out != nullptr) *in = nullptr;
            return written;
        }
        written += size;
    }
    *in = at;
    return written;
}

}  // extern "C"

#endif
