#pragma once
// What the readers of several formats say of a source they could not read whole.

#include <cstddef>
#include <string>

namespace pernard {

inline constexpr const char* kNoBookmarksMessage = "0 件 : ブックマークが見つかりません";
inline constexpr const char* kUnreadAnchorsMessage =
    "0 件 : <A HREF> はありましたが、ブックマークとして読み取れませんでした";

// Said for the lines holding an <A HREF> that gave no bookmark, in a file that gave others.
inline std::string UnreadAnchorLinesMessage(int lines) {
    return "<A HREF> のある " + std::to_string(lines) +
           " 行はブックマークとして読み取れませんでした（上書保存するとファイルから失われます）";
}

// Said for a bookmark whose URL is "---" (the folder marker), followed by its name.
inline constexpr const char* kFolderMarkerUrlMessage =
    "URL が \"---\" のブックマークは読み込めません（上書保存するとファイルから失われます） : ";

// Said once per read for the bytes that did not decode in `charset` and were kept.
inline std::string KeptBytesMessage(std::size_t bytes, const std::string& charset) {
    return "変換できないバイト " + std::to_string(bytes) +
           " 個をそのまま保持しました（表示は U+FFFD） (" + charset + ")";
}

}  // namespace pernard
