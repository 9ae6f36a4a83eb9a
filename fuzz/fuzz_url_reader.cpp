// Any bytes read as a .url shortcut give a URL (or "N/A") without harm, and the URL written
// into a shortcut reads back as itself.

#include <string>

#include "formats/favorites/FavoritesReader.h"
#include "formats/favorites/FavoritesWriter.h"
#include "fuzz/FuzzSupport.h"
#include "util/CodePage.h"
#include "util/Text.h"

using namespace pernard;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string url = ReadShortcutUrl(fuzz::ScratchFile(bytes, ".url"));
    (void)ShortcutUrlFromText(bytes);
    // Written into a shortcut, a URL reads back as itself; the writer changes only line breaks
    // and what CP932 cannot hold (percent-encoded), so plain ASCII must come back unchanged.
    const std::string again =
        ReadShortcutUrl(fuzz::ScratchFile(ShortcutFileText(url), "-again.url"));
    bool plain = url != "N/A";
    for (const char c : url) plain = plain && c >= 0x20 && c < 0x7F;
    if (plain) FUZZ_CHECK(again == TrimBlanks(url));
    return 0;
}
