// URLs normalised as a browser's URL parser writes them back: every pair of
// tests/data/sync/url-normalisation.tsv, and a normalised URL normalised again is itself.

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "util/WhatwgUrl.h"

using pernard::WhatwgNormalizedUrl;

namespace {

struct Vector {
    int line = 0;
    std::string input;
    std::string expected;
};

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

std::vector<Vector> ReadVectors() {
    std::ifstream file(PERNARD_TEST_DATA_DIR "/sync/url-normalisation.tsv", std::ios::binary);
    std::vector<Vector> vectors;
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        if (line.empty() || line[0] == '#') continue;
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos) {
            ADD_FAILURE() << "line " << number << " has no tab";
            continue;
        }
        Vector vector{number, line.substr(0, tab), line.substr(tab + 1)};
        ReplaceAll(vector.input, "\u2409", "\t");
        ReplaceAll(vector.input, "\u240A", "\n");
        ReplaceAll(vector.input, "\u240D", "\r");
        vectors.push_back(vector);
    }
    return vectors;
}

}  // namespace

TEST(WhatwgUrl, NormalisesAsBrowsersDoAndOnceIsEnough) {
    const std::vector<Vector> vectors = ReadVectors();
    ASSERT_GE(vectors.size(), 60u);
    for (const Vector& vector : vectors) {
        const std::string normalised = WhatwgNormalizedUrl(vector.input);
        EXPECT_EQ(normalised, vector.expected) << "line " << vector.line;
        EXPECT_EQ(WhatwgNormalizedUrl(normalised), normalised) << "line " << vector.line;
    }
}
