// A read and a save of every corpus file, left unchanged, writes the very bytes it wrote before
// the entry table's storage was rebuilt: tests/data/corpus-saves.txt holds, per file, the exit
// status of `pernard-cli save` and a hash (64-bit FNV-1a) of what it wrote then (since updated
// only for the files whose own <H1> heading a save now keeps: their heading line alone changed).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CliRun.h"
#include "support/TestFiles.h"

namespace fs = std::filesystem;
using pernard::testing::CorpusDir;
using pernard::testing::ReadBytes;
using pernard::testing::RunWith;
using pernard::testing::TempDir;

namespace {

std::string Fnv1a(const std::string& bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (unsigned char byte : bytes) {
        hash ^= byte;
        hash *= 0x100000001b3ULL;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

// Every file below `directory` in name order: its relative path, a NUL, its bytes.
std::string DirectoryBytes(const fs::path& directory) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(directory)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    std::string bytes;
    for (const fs::path& file : files) {
        bytes += fs::relative(file, directory).string();
        bytes += '\0';
        bytes += ReadBytes(file.string());
    }
    return bytes;
}

}  // namespace

TEST(CorpusSaves, AnUnchangedReadAndSaveWritesWhatItAlwaysWrote) {
    const fs::path corpus = CorpusDir();
    if (corpus.empty()) GTEST_SKIP() << "no corpus";
    std::ifstream list(PERNARD_TEST_DATA_DIR "/corpus-saves.txt");
    ASSERT_TRUE(list);
    std::string line;
    int checked = 0;
    while (std::getline(list, line)) {
        std::istringstream fields(line);
        std::string file, hash;
        int status = 0;
        fields >> file >> status >> hash;
        const fs::path source = corpus / file;
        if (!fs::exists(source)) continue;
        TempDir temp;
        std::string written;
        if (file.rfind("url/", 0) == 0) {
            const fs::path target = temp.Path() / "fav";
            const int ran =
                RunWith({"save", source.string(), "--to-favorites", target.string()}).status;
            EXPECT_EQ(ran, status) << file;
            if (ran == 0) written = DirectoryBytes(target);
        } else {
            const fs::path target = temp.Path() / "saved.htm";
            const int ran = RunWith({"save", source.string(), "--to", target.string()}).status;
            EXPECT_EQ(ran, status) << file;
            if (ran == 0) written = ReadBytes(target.string());
        }
        EXPECT_EQ(Fnv1a(written), hash) << file;
        ++checked;
    }
    EXPECT_GT(checked, 30);
}
