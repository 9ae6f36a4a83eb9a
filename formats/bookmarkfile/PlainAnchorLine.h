#pragma once
// The usual bookmark line, read from its raw bytes in one scan. Nearly every line of a bookmark
// file is an anchor written the one way browsers write it:
//
//     <DT><A HREF="..." ADD_DATE="..." ...>name</A>
//
// Such a line is read here without decoding it whole, joining it or scanning its tags: one pass
// finds the attributes and the name, and only the name goes through the decoder. What comes of
// it is exactly what the general reader (decode, join, scan, parse) makes of the same line. Any
// other shape — a value in single quotes or none, a value or a name holding "<", bytes beyond
// ASCII outside the name, a tag left open, text after the anchor holding markup — is left to
// the general reader.

#include <array>
#include <string>
#include <string_view>

#include "model/EntryTexts.h"

namespace pernard {

class TextDecoder;

// Whether every byte below 0x40 of text in `charset` stands for that ASCII character alone (is
// never part of a character of several bytes), so that the line's markup can be found in its
// raw bytes, on every platform's converter. True for UTF-8, the Shift_JIS family and the
// single-byte code pages.
bool MarkupFoundInRawBytes(const std::string& charset);

// A plain anchor line's texts: views into the line, or into decoded copies of them kept here
// (a name, a value holding character references), reused from line to line.
struct PlainAnchor {
    EntryViews texts;
    std::string_view beforeAnchor;  // the line before the "<A" tag
    // The tag's other attributes as written, each after a blank (kept as the entry's extras).
    std::string otherAttributes;
    std::string decodedName;
    std::array<std::string, 5> referencesDecoded;  // by the texts' order
};

// Reads `raw` into `anchor` when it is a plain anchor line; false (with `anchor` in no
// particular state) for any other line. `decoder` decodes the name; without one the line must
// be ASCII. The views hold while `raw` and `anchor` are left as they are.
bool ScanPlainAnchorLine(std::string_view raw, TextDecoder* decoder, PlainAnchor& anchor);

}  // namespace pernard
