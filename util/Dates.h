#pragma once
// Conversion between the seconds texts that bookmark files carry (decimal seconds since
// 1970-01-01 00:00 UTC) and date values (days since 1899-12-30, the fraction being the time of
// day). Dates are shown in UTC+9 without daylight saving, whatever the machine's time zone.

#include <string>
#include <string_view>

namespace pernard {

// Days from 1899-12-30 00:00 to 1970-01-01 09:00: the +9 hours shift of Japan Standard Time.
inline constexpr double kEpochOffsetDays = 25569.375;

// Reads a seconds text (sign, fraction and exponent allowed, blanks around it allowed).
// Writes `date` only on success.
bool SecondsToDate(std::string_view secondsText, double& date);

// "yy/mm/dd" of a seconds text in UTC+9, or an empty text when it is not a usable number.
std::string SecondsToDateText(std::string_view secondsText);

// True for a seconds text of 0 or less: how browsers write "never". Shown like an empty date.
bool IsNeverDate(std::string_view secondsText);
// Dates as the program shows them: SecondsToDateText and SecondsToDateTimeText, but empty for
// a date of 0 or less.
std::string ShownDateText(std::string_view secondsText);
std::string ShownDateTimeText(std::string_view secondsText);

// "yy/mm/dd hh:nn" of a seconds text in UTC+9, or an empty text when it is not a usable number.
std::string SecondsToDateTimeText(std::string_view secondsText);

// Seconds text of a date text "yy/mm/dd" or "yyyy/mm/dd", optionally followed by "hh:mm" or
// "hh:mm:ss", read as UTC+9. Empty for a text that is not a date or that begins with "70".
// Two-digit years 70-99 are 1970-1999 and 00-69 are 2000-2069.
std::string DateTextToSeconds(std::string_view dateText);

}  // namespace pernard
