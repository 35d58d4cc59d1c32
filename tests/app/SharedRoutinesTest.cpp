#include <gtest/gtest.h>

#include <chrono>

#include "QtPrinters.h"
#include "TestPump.h"
#include "app/PageNumbers.h"
#include "app/modcut.h"
#include "app/moddelay.h"

namespace {

TEST(CutBetween, KeepsItsContractWhateverTheMarkers) {
    const struct {
        const char* text;
        const char* start;
        const char* end;
        const char* cut;
    } cases[] = {
        {"<b>name</b>", "<b>", "</b>", "name"},
        {"<b></b>", "<b>", "</b>", ""},
        // The first start marker and the first end marker after it.
        {"x[a]y[b]", "[", "]", "a"},
        {"<b>name", "<b>", "</b>", ""},
        {"</b>x<b>name", "<b>", "</b>", ""},
        // A missing start marker cuts from its length: positions 2 and 3 here, nothing next.
        {"abc;", "[[", ";", "bc"},
        {"ab;", "[[[", ";", ""},
        {"abc", "[[", ";", ""},
        // The playlist walk relies on this: after dropping "h", the address is found again.
        {"ref=\"http://s/a.mp3\" />", "href=\"", "\" />", "http://s/a.mp3"},
        {"", "abc", "x", ""},
        {"ab", "abc", "", ""},
        {"xyab", "ab", "", ""},
        {"留言(<b>23</b>条)", "留言(<b>", "</b>条", "23"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CutBetween(QString::fromUtf8(c.text), QString::fromUtf8(c.start),
                             QString::fromUtf8(c.end)),
                  QString::fromUtf8(c.cut))
            << c.text << " / " << c.start << " / " << c.end;
    }
}

TEST(CountOccurrences, NonOverlappingAndEmptyWord) {
    EXPECT_EQ(CountOccurrences("categorycategory category", "category"), 3);
    EXPECT_EQ(CountOccurrences("aaaa", "aa"), 2);
    EXPECT_EQ(CountOccurrences("abc", ""), 0);
    EXPECT_EQ(CountOccurrences("", "a"), 0);
}

TEST(PageNumbers, SixteenBitLimits) {
    EXPECT_EQ(ToShort("32767"), 32767);
    EXPECT_FALSE(ToShort("32768"));
    EXPECT_FALSE(ToShort("12a"));
    EXPECT_FALSE(ToShort(""));
    EXPECT_EQ(ToShort("2.5"), 2);  // half to even
    EXPECT_EQ(ToShort("3.5"), 4);
    EXPECT_EQ(LeadingNumber("12]</a>"), 12);
    EXPECT_EQ(LeadingNumber("x12"), 0);
}

double MillisecondsOf(const std::function<void()>& action) {
    const auto start = std::chrono::steady_clock::now();
    action();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

TEST(Delay, NothingToWaitForReturnsAtOnce) {
    TestPump pump(1.0);
    EXPECT_TRUE(Delay(0, QStringLiteral("1000"), pump));
    EXPECT_TRUE(Delay(3, QStringLiteral("0"), pump));
    EXPECT_TRUE(Delay(1, QStringLiteral("-5"), pump));
    TestPump noWaits(0.0);
    EXPECT_TRUE(Delay(2, QStringLiteral("1000"), noWaits));
    // A text that is not a number fails without waiting, also one that would wait for ever.
    for (const char* text : {"", "fast", "inf", "-inf", "nan", "1e400"}) {
        EXPECT_FALSE(Delay(1, QString::fromLatin1(text), pump)) << text;
    }
    EXPECT_EQ(pump.waits + noWaits.waits, 0);
}

TEST(Delay, WaitsAtLeastCountTimesTheMillisecondsReadingTheTextAfresh) {
    TestPump pump(1.0);
    EXPECT_GE(MillisecondsOf([&] { EXPECT_TRUE(Delay(2, QStringLiteral("40"), pump)); }), 80.0);
    // The box is edited during the wait: the shorter time takes effect on the next pass.
    int reads = 0;
    EXPECT_TRUE(Delay(
        1, WaitText([&] { return ++reads > 2 ? QStringLiteral("1") : QStringLiteral("100000"); }),
        pump));
    EXPECT_GT(reads, 2);
}

TEST(Delay, StopEndsTheRunAtTheWait) {
    TestPump pump(1.0);
    pump.waitsBeforeStop = 1;
    EXPECT_THROW(Delay(1, QStringLiteral("1000"), pump), platform::RunStopped);
    // Without waits (pace 0, or a wait of nothing) each wait is still where a stop is seen.
    TestPump noWaits(0.0);
    noWaits.waitsBeforeStop = 0;
    EXPECT_THROW(Delay(1, QStringLiteral("100"), noWaits), platform::RunStopped);
    EXPECT_THROW(Delay(0, QStringLiteral("100"), pump), platform::RunStopped);
}

}  // namespace
