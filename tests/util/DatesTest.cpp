#include <gtest/gtest.h>

#include "util/Dates.h"

using namespace pernard;

TEST(Dates, SecondsToDateUsesJapanStandardTime) {
    double date = -1;
    ASSERT_TRUE(SecondsToDate("0", date));
    EXPECT_DOUBLE_EQ(date, 25569.375);
    ASSERT_TRUE(SecondsToDate(" 86400 ", date));
    EXPECT_DOUBLE_EQ(date, 25570.375);
    ASSERT_TRUE(SecondsToDate("+43200.5", date));
    EXPECT_DOUBLE_EQ(date, 25569.375 + 43200.5 / 86400);
    ASSERT_TRUE(SecondsToDate("1e3", date));
}

TEST(Dates, SecondsToDateRejectsWhatIsNotANumberAndLeavesTheValue) {
    double date = 7;
    EXPECT_FALSE(SecondsToDate("", date));
    EXPECT_FALSE(SecondsToDate("abc", date));
    EXPECT_FALSE(SecondsToDate("12abc", date));
    EXPECT_FALSE(SecondsToDate("invaliddate", date));
    EXPECT_FALSE(SecondsToDate("inf", date));
    EXPECT_FALSE(SecondsToDate("10/Oct/2000:13:55:36 +0300", date));
    EXPECT_EQ(date, 7);
}

TEST(Dates, SecondsToDateText) {
    EXPECT_EQ(SecondsToDateText("931996800"), "99/07/15");
    EXPECT_EQ(SecondsToDateText("0"), "70/01/01");
    EXPECT_EQ(SecondsToDateText("-32400"), "70/01/01");
    EXPECT_EQ(SecondsToDateText("-32401"), "69/12/31");
    EXPECT_EQ(SecondsToDateText("1700000000"), "23/11/15");
    EXPECT_EQ(SecondsToDateText(""), "");
    EXPECT_EQ(SecondsToDateText("abc"), "");
    // Absurd values give no date instead of garbage.
    EXPECT_EQ(SecondsToDateText("1e300"), "");
}

TEST(Dates, DateTextToSeconds) {
    EXPECT_EQ(DateTextToSeconds("99/07/15"), "931964400");
    EXPECT_EQ(DateTextToSeconds("1999/07/15"), "931964400");
    EXPECT_EQ(DateTextToSeconds("1999/07/15 13:45:10"),
              std::to_string(931964400 + 13 * 3600 + 45 * 60 + 10));
    EXPECT_EQ(DateTextToSeconds("1999/07/15 13:45"),
              std::to_string(931964400 + 13 * 3600 + 45 * 60));
    EXPECT_EQ(DateTextToSeconds("23/11/15"), "1699974000");  // two-digit years below 70: 20xx
    EXPECT_EQ(DateTextToSeconds("1969/12/31"), "-118800");
    EXPECT_EQ(DateTextToSeconds("70/01/01"), "");
    EXPECT_EQ(DateTextToSeconds(""), "");
    EXPECT_EQ(DateTextToSeconds("99/13/01"), "");
    EXPECT_EQ(DateTextToSeconds("99/02/29"), "");
    EXPECT_EQ(DateTextToSeconds("2000/02/29"), "951750000");
    EXPECT_EQ(DateTextToSeconds("99/07/15 25:00"), "");
    EXPECT_EQ(DateTextToSeconds("yesterday"), "");
}

TEST(Dates, ShowingAndReadingBackKeepsTheDayAndDropsTheTime) {
    const std::string shown = SecondsToDateText("931999999");
    EXPECT_EQ(shown, "99/07/15");
    EXPECT_EQ(DateTextToSeconds(shown), "931964400");
    for (const char* seconds : {"946652400", "1234567890", "1893423600"}) {
        const std::string day = SecondsToDateText(seconds);
        EXPECT_EQ(SecondsToDateText(DateTextToSeconds(day)), day) << seconds;
    }
}

TEST(Dates, DateAndTimeForTheList) {
    EXPECT_EQ(SecondsToDateTimeText("931996800"), "99/07/15 09:00");
    EXPECT_EQ(SecondsToDateTimeText("932032920"), "99/07/15 19:02");
    EXPECT_EQ(SecondsToDateTimeText("-32400"), "70/01/01 00:00");
    EXPECT_EQ(SecondsToDateTimeText("abc"), "");
}
