#include <gtest/gtest.h>

#include "platform/MemoryList.h"

namespace {

TEST(MemoryListTest, CellsAreAddressedFromOneAndGrowAsNeeded) {
    platform::MemoryList list;
    list.AddRow(QStringLiteral("1"));
    list.AddRow(QStringLiteral("2"));
    list.SetCell(2, 3, QStringLiteral("http://a/blog/item/1.html"));
    EXPECT_EQ(list.Cell(2, 0), QStringLiteral("2"));
    EXPECT_EQ(list.Cell(2, 3), QStringLiteral("http://a/blog/item/1.html"));
    EXPECT_EQ(list.Cell(2, 1), QString());
    EXPECT_EQ(list.Cell(1, 3), QString());
}

TEST(MemoryListTest, MissingRowsAreIgnoredAndReadAsEmpty) {
    platform::MemoryList list;
    list.SetCell(1, 1, QStringLiteral("lost"));
    list.AddRow(QStringLiteral("1"));
    list.SetCell(0, 1, QStringLiteral("lost"));
    list.SetCell(2, 1, QStringLiteral("lost"));
    EXPECT_EQ(list.RowCount(), 1);
    EXPECT_EQ(list.Cell(1, 1), QString());
    EXPECT_EQ(list.Cell(0, 0), QString());
    EXPECT_EQ(list.Cell(5, 1), QString());
    list.Clear();
    EXPECT_EQ(list.Cell(1, 0), QString());
}

}  // namespace
