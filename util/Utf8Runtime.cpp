// Windows only. The program's narrow texts are UTF-8, file names included; the C runtime it is
// linked with (msvcrt) converts narrow texts with the locale's code page instead, and the C++
// library's std::filesystem::path converts its narrow names through these multibyte calls of
// the runtime. Defined here, they convert UTF-8, so that a path made from a UTF-8 std::string
// names the file it says ("日本.htm", not its bytes read as Latin-1). The C library's narrow
// file calls (fopen, rename) follow the process code page instead; the program's own file code
// makes wide-character calls (util/WidePath.h).
//
// A character beyond U+FFFF (𠮷, an emoji) is two wide units, a surrogate pair, and the calls
// give one unit at a time: the conversion state carries the second half. A four-byte sequence
// gives its high surrogate for its first three bytes and its low surrogate for the last; the
// other way, a high surrogate writes nothing until its low surrogate comes and writes the four
// bytes.

#ifdef _WIN32

#include <windows.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <cwchar>

namespace {

constexpr std::size_t kFailed = static_cast<std::size_t>(-1);
constexpr std::size_t kIncomplete = static_cast<std::size_t>(-2);

// The half of a surrogate pair a state carries over to the next call; 0 for none.
std::uint16_t Pending(const mbstate_t* state) {
    std::uint16_t unit = 0;
    std::memcpy(&unit, state, sizeof unit);
    return unit;
}

void SetPending(mbstate_t* state, std::uint16_t unit) { std::memcpy(state, &unit, sizeof unit); }

bool IsHighSurrogate(unsigned unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(unsigned unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The state a call without one of its own uses, as the C library keeps one per call.
mbstate_t* StateOr(mbstate_t* state) {
    static thread_local mbstate_t own{};
    return state != nullptr ? state : &own;
}

std::size_t Utf8ToWide(wchar_t* out, const char* in, std::size_t count, mbstate_t* state) {
    if (in == nullptr) {
        SetPending(state, 0);
        return 0;
    }
    if (count == 0) return kIncomplete;
    if (const std::uint16_t low = Pending(state); low != 0) {
        // The last byte of a four-byte sequence whose first three gave the high surrogate.
        if (!IsContinuation(*in)) {
            errno = EILSEQ;
            return kFailed;
        }
        if (out != nullptr) *out = static_cast<wchar_t>(low);
        SetPending(state, 0);
        return 1;
    }
    const auto lead = static_cast<unsigned char>(*in);
    if (lead < 0x80) {
        if (out != nullptr) *out = lead;
        return lead == 0 ? 0 : 1;
    }
    const std::size_t size = lead >= 0xF5   ? 0
                             : lead >= 0xF0 ? 4
                             : lead >= 0xE0 ? 3
                             : lead >= 0xC2 ? 2
                                            : 0;
    if (size == 0) {
        errno = EILSEQ;
        return kFailed;
    }
    // The continuation bytes one by one: a sequence cut short by the end of the text is never
    // read past that end.
    for (std::size_t k = 1; k < size; ++k) {
        if (k == count) return kIncomplete;
        if (!IsContinuation(in[k])) {
            errno = EILSEQ;
            return kFailed;
        }
    }
    wchar_t units[2];
    const int made =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, in, static_cast<int>(size), units, 2);
    if (made != (size == 4 ? 2 : 1)) {
        errno = EILSEQ;
        return kFailed;
    }
    if (out != nullptr) *out = units[0];
    if (size < 4) return size;
    SetPending(state, static_cast<std::uint16_t>(units[1]));
    return 3;
}

std::size_t WideToUtf8(char* out, wchar_t unit, mbstate_t* state) {
    const std::uint16_t high = Pending(state);
    if (out == nullptr || unit == L'\0') {
        SetPending(state, 0);
        if (out != nullptr) *out = '\0';
        if (high != 0) {
            errno = EILSEQ;
            return kFailed;
        }
        return 1;
    }
    if (IsHighSurrogate(unit) && high == 0) {
        SetPending(state, static_cast<std::uint16_t>(unit));
        return 0;
    }
    if (IsHighSurrogate(unit) || (IsLowSurrogate(unit) != (high != 0))) {
        errno = EILSEQ;
        return kFailed;
    }
    const wchar_t units[2] = {high != 0 ? static_cast<wchar_t>(high) : unit, unit};
    const int count = high != 0 ? 2 : 1;
    char bytes[4];
    const int size = WideCharToMultiByte(CP_UTF8, 0, units, count, bytes, 4, nullptr, nullptr);
    if (size <= 0) {
        errno = EILSEQ;
        return kFailed;
    }
    SetPending(state, 0);
    std::memcpy(out, bytes, static_cast<std::size_t>(size));
    return static_cast<std::size_t>(size);
}

}  // namespace

extern "C" {

std::size_t mbrtowc(wchar_t* out, const char* in, std::size_t count, mbstate_t* state) {
    return Utf8ToWide(out, in, count, StateOr(state));
}

std::size_t mbrlen(const char* in, std::size_t count, mbstate_t* state) {
    return Utf8ToWide(nullptr, in, count, StateOr(state));
}

std::size_t mbsrtowcs(wchar_t* out, const char** in, std::size_t count, mbstate_t* state) {
    state = StateOr(state);
    std::size_t written = 0;
    const char* at = *in;
    // The text ends with its NUL: no sequence is read past it.
    const char* const end = at + std::strlen(at) + 1;
    while (out == nullptr || written < count) {
        wchar_t unit = 0;
        const std::size_t size = Utf8ToWide(&unit, at, static_cast<std::size_t>(end - at), state);
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

std::size_t wcrtomb(char* out, wchar_t unit, mbstate_t* state) {
    return WideToUtf8(out, unit, StateOr(state));
}

std::size_t wcsrtombs(char* out, const wchar_t** in, std::size_t count, mbstate_t* state) {
    state = StateOr(state);
    std::size_t written = 0;
    const wchar_t* at = *in;
    for (;; ++at) {
        char bytes[4];
        const std::size_t size = WideToUtf8(bytes, *at, state);
        if (size == kFailed) return kFailed;
        if (out != nullptr) {
            if (written + size > count) break;
            std::memcpy(out + written, bytes, size);
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
