#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/TestFiles.h"
#include "util/Paths.h"

using namespace pernard;
namespace fs = std::filesystem;

TEST(Paths, ParentPathDropsTheLastComponent) {
    EXPECT_EQ(ParentPath("a\\b\\c", '\\'), "a\\b");
    EXPECT_EQ(ParentPath("abc", '\\'), "abc");
    EXPECT_EQ(ParentPath("a\\", '\\'), "a");
    EXPECT_EQ(ParentPath("C:\\Fav\\News\\site.url", '\\'), "C:\\Fav\\News");
    // Absolute and network paths keep their leading separators.
    EXPECT_EQ(ParentPath("/home/user/Favorites/News"), "/home/user/Favorites");
    EXPECT_EQ(ParentPath("\\\\server\\share\\x", '\\'), "\\\\server\\share");
    EXPECT_EQ(ParentPath("a\\\\b", '\\'), "a\\");  // an empty middle component stays
}

TEST(Paths, PathToFileUrl) {
    EXPECT_EQ(PathToFileUrl("C:\\Data\\list.htm", '\\'), "file:///C|/Data/list.htm");
    EXPECT_EQ(PathToFileUrl("D:\\Web\\表.htm", '\\'), "file:///D|/Web/表.htm");
    EXPECT_EQ(PathToFileUrl("/usr/share/doc/ヘルプ.htm", '/'), "file:///usr/share/doc/ヘルプ.htm");
}

TEST(Paths, DeleteTreeRemovesEverythingIncludingHiddenFiles) {
    pernard::testing::TempDir temp;
    const fs::path root = temp.Path() / "Favorites";
    temp.Write("Favorites/a.url", "x");
    temp.Write("Favorites/.hidden", "x");
    temp.Write("Favorites/sub/.also/deep.url", "x");
    EXPECT_TRUE(DeleteTree(root.string()));
    EXPECT_FALSE(fs::exists(root));
    EXPECT_FALSE(DeleteTree(root.string()));
}

TEST(Paths, DeleteTreeRemovesLinksButNeverWhatTheyPointTo) {
    pernard::testing::TempDir temp;
    const std::string keep = temp.Write("keep/precious.txt", "data");
    temp.Write("target/a.url", "x");
    fs::create_directory_symlink(temp.Path() / "keep", temp.Path() / "target" / "link");
    fs::create_symlink(keep, temp.Path() / "target" / "file-link");
    EXPECT_TRUE(DeleteTree((temp.Path() / "target").string()));
    EXPECT_TRUE(fs::exists(keep));
    EXPECT_EQ(pernard::testing::ReadBytes(keep), "data");
    // A link given as the tree itself is not followed either.
    fs::create_directory_symlink(temp.Path() / "keep", temp.Path() / "alias");
    EXPECT_FALSE(DeleteTree((temp.Path() / "alias").string()));
    EXPECT_TRUE(fs::exists(keep));
}
