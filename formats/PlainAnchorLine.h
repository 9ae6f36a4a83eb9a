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

#include <string>
#include <string_view>

#include "formats/NetscapeReader.h"

namespace pernard {

class TextDecoder;

// Whether every byte below 0x40 of text in `charset` stands for that ASCII character alone (is
// never part of a character of several bytes), so that the line's markup can be found in its
// raw bytes. True for UTF-8, the Shift_JIS and EUC-JP families and the single-byte code pages.
bool MarkupFoundInRawBytes(const std::string& charset);

// Reads `raw` into `fields` when it is a plain anchor line; false (with `fields` in no
// particular state) for any other line. `decoder` decodes the name; without one the line must
// be ASCII. `scratch` is the caller's, reused from line to line.
bool ScanPlainAnchorLine(std::string_view raw, TextDecoder* decoder, AnchorFields& fields,
                         std::string& scratch);

}  // namespace pernard
