#include "util/Dates.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "util/Text.h"

namespace pernard {

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's algorithm).
long long DaysFromCivil(long long year, unsigned month, unsigned day) {
    year -= month <= 2;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(year - era * 400);
    const unsigned doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long days, long long& year, unsigned& month, unsigned& day) {
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = doy - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<long long>(yoe) + era * 400 + (month <= 2);
}

bool IsLeapYear(long long year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

unsigned DaysInMonth(long long year, unsigned month) {
    static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Reads an unsigned decimal number of 1 to `maxDigits` digits at `at`; advances `at`.
bool ReadNumber(std::string_view text, std::size_t& at, int maxDigits, int& value, int& digits) {
    value = 0;
    digits = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < maxDigits) {
        value = value * 10 + (text[at] - '0');
        ++at;
        ++digits;
    }
    return digits > 0;
}

bool Expect(std::string_view text, std::size_t& at, char c) {
    if (at < text.size() && text[at] == c) {
        ++at;
        return true;
    }
    return false;
}

}  // namespace

bool SecondsToDate(std::string_view secondsText, double& date) {
    const std::string trimmed = TrimBlanks(secondsText);
    std::string_view number = trimmed;
    if (!number.empty() && number[0] == '+') number.remove_prefix(1);
    if (number.empty() || number[0] == '+') return false;
    double seconds = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), seconds,
                                              std::chars_format::general);
    if (error != std::errc() || end != number.data() + number.size() || !std::isfinite(seconds)) {
        return false;
    }
    date = kEpochOffsetDays + seconds / 86400.0;
    return true;
}

namespace {

// "yy/mm/dd" or "yy/mm/dd hh:nn" of a date value; empty outside the years 1 to 9999.
std::string FormatDate(double date, bool withTime) {
    if (date < -693593.0 || date > 2958465.0) return {};
    const double wholeDays = std::floor(date);
    long long year = 0;
    unsigned month = 0;
    unsigned day = 0;
    CivilFromDays(static_cast<long long>(wholeDays) - 25569, year, month, day);
    char text[32];
    if (!withTime) {
        std::snprintf(text, sizeof text, "%02d/%02u/%02u", static_cast<int>(year % 100), month,
                      day);
        return text;
    }
    const int minutes = static_cast<int>(std::floor((date - wholeDays) * 1440.0 + 1e-6)) % 1440;
    std::snprintf(text, sizeof text, "%02d/%02u/%02u %02d:%02d", static_cast<int>(year % 100),
                  month, day, minutes / 60, minutes % 60);
    return text;
}

}  // namespace

std::string SecondsToDateText(std::string_view secondsText) {
    double date = 0;
    return SecondsToDate(secondsText, date) ? FormatDate(date, false) : std::string();
}

std::string SecondsToDateTimeText(std::string_view secondsText) {
    double date = 0;
    return SecondsToDate(secondsText, date) ? FormatDate(date, true) : std::string();
}

bool IsNeverDate(std::string_view secondsText) {
    double date = 0;
    return SecondsToDate(secondsText, date) && date <= kEpochOffsetDays;
}

std::string ShownDateText(std::string_view secondsText) {
    return IsNeverDate(secondsText) ? std::string() : SecondsToDateText(secondsText);
}

std::string ShownDateTimeText(std::string_view secondsText) {
    return IsNeverDate(secondsText) ? std::string() : SecondsToDateTimeText(secondsText);
}

std::string DateTextToSeconds(std::string_view dateText) {
    // A date shown as 70/... is the "no date" of an empty or zero seconds text.
    const std::string text = TrimBlanks(dateText);
    if (text.substr(0, 2) == "70") return {};
    std::size_t at = 0;
    int year = 0, month = 0, day = 0, digits = 0, monthDigits = 0, dayDigits = 0;
    if (!ReadNumber(text, at, 4, year, digits) || (digits != 2 && digits != 4)) return {};
    if (digits == 2) year += year >= 70 ? 1900 : 2000;
    if (year < 1) return {};  // the dates shown run from the year 1
    if (!Expect(text, at, '/') || !ReadNumber(text, at, 2, month, monthDigits)) return {};
    if (!Expect(text, at, '/') || !ReadNumber(text, at, 2, day, dayDigits)) return {};
    if (month < 1 || month > 12 || day < 1 || day > static_cast<int>(DaysInMonth(year, month))) {
        return {};
    }
    int hour = 0, minute = 0, second = 0, timeDigits = 0;
    if (at < text.size()) {
        if (!Expect(text, at, ' ')) return {};
        while (at < text.size() && text[at] == ' ') ++at;
        if (!ReadNumber(text, at, 2, hour, timeDigits) || !Expect(text, at, ':') ||
            !ReadNumber(text, at, 2, minute, timeDigits)) {
            return {};
        }
        if (Expect(text, at, ':') && !ReadNumber(text, at, 2, second, timeDigits)) return {};
        if (at != text.size() || hour > 23 || minute > 59 || second > 59) return {};
    }
    const long long days =
        DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    const long long seconds = days * 86400 + hour * 3600 + minute * 60 + second - 9 * 3600;
    return std::to_string(seconds);
}

}  // namespace pernard
