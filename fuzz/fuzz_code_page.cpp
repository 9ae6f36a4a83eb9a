// The lossless rule: any bytes decoded from a code page and encoded back into it are the same
// bytes. The first byte picks the code page.

#include <string>

#include "fuzz/FuzzSupport.h"
#include "util/CodePage.h"

using namespace pernard;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    if (size == 0) return 0;
    static const char* const kCharsets[] = {kCp932, kUtf8,    "EUC-JP",      "GBK",
                                            "BIG5", "EUC-KR", "WINDOWS-1252"};
    const std::string charset = kCharsets[data[0] % std::size(kCharsets)];
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    TextDecoder decoder(charset);
    std::string text;
    decoder.Decode(bytes, text);
    std::string back;
    TextEncoder(charset, nullptr, true).Encode(text, back);
    FUZZ_CHECK(back == bytes);
    // Shown, the text is valid UTF-8.
    const std::string shown = ShownText(text);
    std::string again;
    TextDecoder(kUtf8).Decode(shown, again);
    FUZZ_CHECK(again == shown);
    return 0;
}
