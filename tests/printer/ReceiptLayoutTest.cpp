// Where the receipt's lines land on the driver's pages.
#include "pages/printer/ReceiptLayout.h"

#include <gtest/gtest.h>

namespace {

const int kA4At300Dpi = 3358; // printable height of an A4 page at 300 dpi
const int kFontHeight = 20;

TEST(ReceiptLayout, FirstPageStepsThirtyAndMarksOneEmptyLineAfterTheLast)
{
    const ReceiptLayout sample = LayoutReceipt(19, kA4At300Dpi, kFontHeight);
    ASSERT_EQ(sample.lines.size(), 19u);
    for (int i = 0; i < 19; ++i) {
        EXPECT_EQ(sample.lines[i].page, 0);
        EXPECT_EQ(sample.lines[i].y, 30 * i);
    }
    EXPECT_EQ(sample.mark.page, 0);
    EXPECT_EQ(sample.mark.y, 600);
    EXPECT_EQ(sample.pageCount, 1);

    const ReceiptLayout one = LayoutReceipt(1, kA4At300Dpi, kFontHeight);
    EXPECT_EQ(one.lines[0].y, 0);
    EXPECT_EQ(one.mark.y, 60);

    // A device that reports no printable height gets everything on one page.
    const ReceiptLayout unknown = LayoutReceipt(500, 0, kFontHeight);
    EXPECT_EQ(unknown.pageCount, 1);
    EXPECT_EQ(unknown.lines.back().y, 30 * 499);
    EXPECT_EQ(unknown.mark.y, 30 * 501);
}

TEST(ReceiptLayout, LinesBelowThePrintableAreaStartANewPageAtTheTop)
{
    // 100 units: lines at 0, 30, 60 fit (60 + 20 = 80); one at 90 would end at 110.
    const ReceiptLayout layout = LayoutReceipt(5, 100, kFontHeight);
    const std::vector<std::pair<int, int>> expected = {{0, 0}, {0, 30}, {0, 60}, {1, 0}, {1, 30}};
    ASSERT_EQ(layout.lines.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(layout.lines[i].page, expected[i].first) << "line " << i;
        EXPECT_EQ(layout.lines[i].y, expected[i].second) << "line " << i;
    }
    // After the line at 30 comes the empty step at 60; the mark at 90 would not fit.
    EXPECT_EQ(layout.mark.page, 2);
    EXPECT_EQ(layout.mark.y, 0);
    EXPECT_EQ(layout.pageCount, 3);

    // A line that ends exactly at the bottom still fits.
    const ReceiptLayout exact = LayoutReceipt(4, 80, kFontHeight);
    EXPECT_EQ(exact.lines[2].page, 0);
    EXPECT_EQ(exact.lines[2].y, 60);
    EXPECT_EQ(exact.lines[3].page, 1);
}

TEST(ReceiptLayout, LongReceiptLosesNoLineAndEveryPageRestartsAtTheTop)
{
    const ReceiptLayout layout = LayoutReceipt(2000, kA4At300Dpi, kFontHeight);
    ASSERT_EQ(layout.lines.size(), 2000u);
    const int perPage = (kA4At300Dpi - kFontHeight) / 30 + 1; // 112: the last one at 3330
    for (int i = 0; i < 2000; ++i) {
        EXPECT_EQ(layout.lines[i].page, i / perPage) << "line " << i;
        EXPECT_EQ(layout.lines[i].y, 30 * (i % perPage)) << "line " << i;
    }
    EXPECT_EQ(layout.pageCount, (2000 + perPage - 1) / perPage);
    EXPECT_EQ(layout.mark.page, layout.lines.back().page);
    EXPECT_EQ(layout.mark.y, layout.lines.back().y + 60);
}

TEST(ReceiptLayout, PageShorterThanALineTakesOneLineEach)
{
    const ReceiptLayout layout = LayoutReceipt(3, 10, kFontHeight);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(layout.lines[i].page, i);
        EXPECT_EQ(layout.lines[i].y, 0);
    }
    EXPECT_EQ(layout.mark.page, 3);
    EXPECT_EQ(layout.pageCount, 4);
}

} // namespace
