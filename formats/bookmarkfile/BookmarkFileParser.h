#pragma once
// Opens a Netscape bookmark file for a load (formats/SourceParser.h): its lines are decoded in the
// encoding found from its first bytes, joined where formatters spread one entry over several
// lines, and parsed by formats/bookmarkfile/NetscapeReader.

#include <string>

#include "formats/SourceParser.h"

namespace pernard {

// A parser of the file at `path`, or why it cannot be read (missing, or no regular file).
OpenedSource OpenBookmarkFile(const std::string& path);

}  // namespace pernard
