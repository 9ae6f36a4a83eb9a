#ifdef _WIN32

#include "util/WidePath.h"

#include <windows.h>

namespace pernard {

std::wstring WideFromUtf8(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int size = static_cast<int>(utf8.size());
    const int count = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(count), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), count);
    return wide;
}

std::string Utf8FromWide(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int size = static_cast<int>(wide.size());
    const int count =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(count), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), count, nullptr, nullptr);
    return utf8;
}

std::wstring WidePath(std::string_view utf8) {
    std::wstring wide = WideFromUtf8(utf8);
    for (wchar_t& c : wide) {
        if (c == L'/') c = L'\\';
    }
    constexpr std::size_t kOldLimit = 259;
    if (wide.size() <= kOldLimit || wide.rfind(L"\\\\?\\", 0) == 0) return wide;
    // "\\?\" takes the path as it stands: only a full path, with "." and ".." resolved.
    const DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (length == 0) return wide;
    std::wstring full(length, L'\0');
    const DWORD written = GetFullPathNameW(wide.c_str(), length, full.data(), nullptr);
    full.resize(written);
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

}  // namespace pernard

#endif
