#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/storage/ChildList.h"
#include "model/storage/Column.h"
#include "model/storage/TextArena.h"
#include "model/storage/TextColumn.h"

using namespace pernard;

TEST(Column, GrowsInChunksWithoutMovingElements) {
    Column<std::string> column;
    column.push_back("first");
    const std::string* first = &column[0];
    for (int k = 1; k < 10000; ++k) column.push_back(std::to_string(k));
    EXPECT_EQ(first, &column[0]);
    EXPECT_EQ(column.size(), 10000u);
    EXPECT_EQ(column[4097], "4097");
    column.resize(3);
    EXPECT_EQ(column.size(), 3u);
    column.resize(5, "x");
    EXPECT_EQ(column[4], "x");
    EXPECT_THROW(column.at(5), std::out_of_range);
    std::string joined;
    for (const std::string& text : column) joined += text + ",";
    EXPECT_EQ(joined, "first,1,2,x,x,");
    column.clear();
    EXPECT_TRUE(column.empty());
}

TEST(ChildList, FollowsAVectorThroughInsertsErasesCopiesAndMoves) {
    std::mt19937 random(7);
    ChildList<int> list;
    std::vector<int> reference;
    for (int step = 0; step < 5000; ++step) {
        const std::size_t size = reference.size();
        const std::size_t at = size == 0 ? 0 : random() % (size + 1);
        switch (random() % 6) {
            case 0:
            case 1:
            case 2:
                list.insert(list.begin() + at, step);
                reference.insert(reference.begin() + static_cast<std::ptrdiff_t>(at), step);
                break;
            case 3:
                if (at < size) {
                    list.erase(list.begin() + at);
                    reference.erase(reference.begin() + static_cast<std::ptrdiff_t>(at));
                }
                break;
            case 4:
                list.resize(at);
                reference.resize(std::min(at, size));
                break;
            default:
                list.push_back(-step);
                reference.push_back(-step);
        }
        ASSERT_EQ(std::vector<int>(list.begin(), list.end()), reference) << step;
    }
    ChildList<int> copy = list;
    list.clear();
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(std::vector<int>(copy.begin(), copy.end()), reference);
    ChildList<int> moved = std::move(copy);
    EXPECT_EQ(moved.size(), reference.size());
    moved.clear();
    moved.shrink_to_fit();
    EXPECT_EQ(moved.begin(), moved.end());
    moved.push_back(1);
    EXPECT_EQ(moved[0], 1);
}

TEST(TextArena, KeepsEveryTextUntilCleared) {
    TextArena arena;
    const std::string_view a = arena.Store("日本語");
    const std::string big(300000, 'b');  // larger than a block
    const std::string_view b = arena.Store(big);
    const std::string_view c = arena.Store("after");
    EXPECT_EQ(a, "日本語");
    EXPECT_EQ(b, big);
    EXPECT_EQ(c, "after");
    EXPECT_TRUE(arena.Store("").empty());
}

TEST(TextColumn, ReplacedTextsAreDroppedByCompactionAndTheRestStays) {
    TextColumn column;
    column.PushBack("");
    for (int k = 1; k < 1000; ++k) column.PushBack("text " + std::to_string(k));
    // Every row replaced by a long text and then by a short one: the long ones are dropped.
    const std::string big(8 << 10, 'x');
    for (std::size_t k = 1; k < column.size(); ++k) column.Set(k, big);
    for (std::size_t k = 1; k < column.size(); ++k) column.Set(k, std::to_string(k));
    EXPECT_GT(column.DroppedBytes(), column.StoredBytes() / 2);
    const std::string taken = column.Take(3);
    column.CompactIfWorthwhile();
    EXPECT_EQ(column.DroppedBytes(), 0u);
    EXPECT_LT(column.StoredBytes(), std::size_t{20000});
    EXPECT_EQ(taken, "3");
    EXPECT_EQ(column[3], "");
    EXPECT_EQ(column[1], "1");
    EXPECT_EQ(column[999], "999");
    EXPECT_EQ(column[0], "");  // an empty text stays empty
    // Lengths of one, two and three length bytes.
    for (std::size_t size : {127u, 128u, 16383u, 16384u, 300000u}) {
        column.PushBack(std::string(size, 'y'));
        EXPECT_EQ(column[column.size() - 1].size(), size);
    }
}

TEST(ReadOnlyColumn, RowsAreCheckedAtBothEdges) {
    TextColumn texts;
    texts.PushBack("only");
    const ReadOnlyColumn<TextColumn> view(texts);
    EXPECT_EQ(view[0], "only");
    EXPECT_THROW(view[1], std::out_of_range);
    EXPECT_THROW(view[-1], std::out_of_range);
}
