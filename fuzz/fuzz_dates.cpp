// Date texts: any text converts without harm, and a date the program shows reads back as the
// same day.

#include <string>

#include "fuzz/FuzzSupport.h"
#include "util/Dates.h"

using namespace pernard;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    double date = 0;
    (void)SecondsToDate(text, date);
    const std::string day = SecondsToDateText(text);
    (void)SecondsToDateTimeText(text);
    const std::string seconds = DateTextToSeconds(text);
    if (!seconds.empty()) {
        // What was accepted as a date shows as a date, and that shown day reads back to itself.
        // (A day in 1970 shows as 70/..., which reads as "no date".)
        const std::string shown = SecondsToDateText(seconds);
        FUZZ_CHECK(!shown.empty());
        if (shown.rfind("70/", 0) != 0) {
            FUZZ_CHECK(SecondsToDateText(DateTextToSeconds(shown)) == shown);
        }
    }
    if (!day.empty()) FUZZ_CHECK(!DateTextToSeconds(day).empty() || day.rfind("70/", 0) == 0);
    return 0;
}
