// pernard-cli sort: which folders it sorts, that it saves through the same checks as save, and
// its usage errors.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/CliRun.h"
#include "support/TestFiles.h"

using namespace pernard;
using pernard::testing::CliRun;
using pernard::testing::RunWith;
using pernard::testing::TempDir;

namespace {

// 0 R { 1 F { 2 第10章, 3 第9章 }, 4 ｶﾅ (after a separator), 5 あ, 6 Z { 7 b, 8 a } }
class CliSortTest : public ::testing::Test {
protected:
    void SetUp() override {
        file = temp.Write("s.htm",
                          "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; "
                          "charset=UTF-8\">\n<TITLE>R</TITLE>\n<DL><p>\n"
                          "<DT><H3 ADD_DATE=\"200\">F</H3>\n<DL><p>\n"
                          "<DT><A HREF=\"http://10/\" ADD_DATE=\"100\">第10章</A>\n"
                          "<DT><A HREF=\"http://9/\" ADD_DATE=\"300\">第9章</A>\n"
                          "</DL><p>\n"
                          "<HR>\n"
                          "<DT><A HREF=\"http://k/\">ｶﾅ</A>\n"
                          "<DT><A HREF=\"http://a/\" ADD_DATE=\"50\">あ</A>\n"
                          "<DT><H3>Z</H3>\n<DL><p>\n"
                          "<DT><A HREF=\"http://b/\">b</A>\n"
                          "<DT><A HREF=\"http://a/\">a</A>\n"
                          "</DL><p>\n"
                          "</DL><p>\n");
        out = (temp.Path() / "out.htm").string();
    }
    // The names of the saved file's entries in table order.
    std::string SavedNames() {
        const CliRun listed = RunWith({"list", out});
        std::istringstream lines(listed.out);
        std::string line, names;
        while (std::getline(lines, line)) {
            std::istringstream fields(line);
            std::string field;
            for (int k = 0; k < 4; ++k) std::getline(fields, field, '\t');
            names += (names.empty() ? "" : " ") + field;
        }
        return names;
    }
    TempDir temp;
    std::string file, out;
};

}  // namespace

TEST_F(CliSortTest, SortsTheFirstRootOrOneFolderAndSavesAsSaveDoes) {
    const struct {
        std::vector<std::string> options;
        const char* names;
    } cases[] = {
        {{"--by", "name"}, "R F 第9章 第10章 Z a b あ ｶﾅ"},
        {{"--by", "name", "--folders-first"}, "R F 第9章 第10章 Z a b あ ｶﾅ"},
        {{"--by", "name", "--descending"}, "R ｶﾅ あ Z b a F 第10章 第9章"},
        {{"--by", "added"}, "R あ F 第10章 第9章 ｶﾅ Z b a"},
        {{"--by", "url", "--folder", "6"}, "R F 第10章 第9章 ｶﾅ あ Z a b"},
        {{"--by", "name", "--folder", "0"}, "R F 第10章 第9章 Z b a あ ｶﾅ"},
        {{"--by", "name", "--folder", "0", "--recursive"}, "R F 第9章 第10章 Z a b あ ｶﾅ"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments{"sort", file, "--to", out};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        const CliRun run = RunWith(arguments);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(SavedNames(), c.names) << c.options[1];
    }
    // The separator stays before the entry it stood before.
    const std::string saved = pernard::testing::ReadBytes(out);
    const std::size_t separator = saved.find("<HR>");
    EXPECT_LT(saved.find(">あ</A>"), separator);
    EXPECT_LT(separator, saved.find(">ｶﾅ</A>"));

    // A Favorites directory, as save writes one.
    const std::string directory = (temp.Path() / "fav").string();
    ASSERT_EQ(RunWith({"sort", "--by", "name", file, "--to-favorites", directory}).status, 0);
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(directory) / "Z" / "a.url"));
}

TEST_F(CliSortTest, RefusesWhatItCannotDo) {
    const struct {
        std::vector<std::string> arguments;
        int status;
        const char* says;
    } cases[] = {
        {{"sort", file, "--to", out}, 2, "--by"},
        {{"sort", "--by", "size", file, "--to", out}, 2, "--by"},
        {{"sort", "--by", "name", file}, 2, "--to"},
        {{"sort", "--by", "name", file, "--to", out, "--to-favorites", out}, 2, "--to"},
        {{"sort", "--by", "name", "--folder", "2", file, "--to", out}, 2, "entry 2"},
        {{"sort", "--by", "name", "--folder", "x", file, "--to", out}, 2, "--folder"},
        {{"sort", "--by", "name", "--save-encoding", "EUC-JP", file, "--to", out}, 2, "UTF-8"},
        {{"sort", "--by", "name", "/no/such.htm", "--to", out}, 1, ""},
    };
    for (const auto& c : cases) {
        const CliRun run = RunWith(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments[1] << " " << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}
