#include <gtest/gtest.h>

#include <chrono>

#include "QtPrinters.h"
#include "app/PageNumbers.h"
#include "app/PageText.h"
#include "app/modcut.h"
#include "app/moddelay.h"
#include "platform/EventPump.h"

namespace {

TEST(CutBetween, BothMarkersPresent) {
    EXPECT_EQ(CutBetween("<b>name</b>", "<b>", "</b>"), "name");
    EXPECT_EQ(CutBetween("<b></b>", "<b>", "</b>"), "");
    // The first start marker and the first end marker after it.
    EXPECT_EQ(CutBetween("x[a]y[b]", "[", "]"), "a");
}

TEST(CutBetween, EndMarkerMissingOrOnlyBefore) {
    EXPECT_EQ(CutBetween("<b>name", "<b>", "</b>"), "");
    EXPECT_EQ(CutBetween("</b>x<b>name", "<b>", "</b>"), "");
}

TEST(CutBetween, StartMarkerMissingCutsFromItsLength) {
    // Two-character marker, end marker at position 4: the characters at positions 2 and 3.
    EXPECT_EQ(CutBetween("abc;", "[[", ";"), "bc");
    // Three-character marker, end marker at position 3: empty.
    EXPECT_EQ(CutBetween("ab;", "[[[", ";"), "");
    EXPECT_EQ(CutBetween("abc", "[[", ";"), "");
    // The playlist walk relies on this: after dropping "h", the address is found again.
    EXPECT_EQ(CutBetween("ref=\"http://s/a.mp3\" />", "href=\"", "\" />"), "http://s/a.mp3");
}

TEST(CutBetween, StartBeyondTheEndOfTheText) {
    EXPECT_EQ(CutBetween("", "abc", "x"), "");
    EXPECT_EQ(CutBetween("ab", "abc", ""), "");
    EXPECT_EQ(CutBetween("xyab", "ab", ""), "");
}

TEST(CutBetween, ChineseMarkers) {
    EXPECT_EQ(CutBetween("留言(<b>23</b>条)", "留言(<b>", "</b>条"), "23");
}

TEST(PageText, DroppingTheFrontCutsAsTheShortenedText) {
    const QString page = QStringLiteral("[a];[b];x;[c];;ab;[d]");
    const QString markers[][2] = {{"[", "]"}, {"[[", ";"}, {"ab", ";"}, {"x", ""}, {"", "]"}};
    PageText walk(page);
    // Drops of every size, past the end included, each compared with a fresh shortened copy.
    for (int drop : {0, 1, 2, 3, 5, 1, 4, 0, 30}) {
        walk.DropFront(drop);
        const QString rest = walk.Rest().toString();
        EXPECT_TRUE(page.endsWith(rest));
        for (const auto& marker : markers) {
            EXPECT_EQ(walk.Cut(marker[0], marker[1]), CutBetween(rest, marker[0], marker[1]))
                << rest.toStdString() << " " << marker[0].toStdString();
            EXPECT_EQ(walk.PositionOf(marker[0]), PositionOf(rest, marker[0]));
        }
    }
    EXPECT_TRUE(walk.Rest().isEmpty());
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

// Counts how often the wait handed control to the event loop.
class CountingPump : public platform::EventPump {
public:
    void PumpFor(int) override { ++pumps; }
    bool StopRequested() const override { return stop; }
    int pumps = 0;
    bool stop = false;
};

double MillisecondsOf(const std::function<void()>& action) {
    const auto start = std::chrono::steady_clock::now();
    action();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

TEST(Delay, ZeroReturnsAtOnceWithoutHandlingEvents) {
    CountingPump pump;
    EXPECT_TRUE(Delay(0, QStringLiteral("1000"), pump));
    EXPECT_TRUE(Delay(3, QStringLiteral("0"), pump));
    EXPECT_TRUE(Delay(1, QStringLiteral("-5"), pump));
    EXPECT_EQ(pump.pumps, 0);
}

TEST(Delay, TextThatIsNotANumberFailsWithoutWaiting) {
    CountingPump pump;
    EXPECT_FALSE(Delay(1, QStringLiteral(""), pump));
    EXPECT_FALSE(Delay(1, QStringLiteral("fast"), pump));
    for (const char* endless : {"inf", "-inf", "nan", "1e400"}) {
        EXPECT_FALSE(Delay(1, QString::fromLatin1(endless), pump)) << endless;
    }
    EXPECT_EQ(pump.pumps, 0);
}

TEST(Delay, WaitsAtLeastCountTimesTheMilliseconds) {
    platform::SleepingPump pump;
    const double elapsed =
        MillisecondsOf([&] { EXPECT_TRUE(Delay(2, QStringLiteral("40"), pump)); });
    EXPECT_GE(elapsed, 80.0);
}

TEST(Delay, ReadsTheTextAfreshOnEveryPass) {
    platform::SleepingPump pump;
    QString box = QStringLiteral("100000");
    int reads = 0;
    // The box is edited during the wait: the shorter time takes effect on the next pass.
    EXPECT_TRUE(Delay(1, WaitText([&] { return ++reads > 2 ? QStringLiteral("1") : box; }), pump));
    EXPECT_GT(reads, 2);
}

TEST(Delay, PaceZeroWaitsNotAtAll) {
    platform::SleepingPump pump(0.0);
    const double elapsed = MillisecondsOf([&] { Delay(2, QStringLiteral("1000"), pump); });
    EXPECT_LT(elapsed, 500.0);
}

TEST(Delay, StopEndsTheRunAtTheWait) {
    CountingPump pump;
    pump.stop = true;
    EXPECT_THROW(Delay(1, QStringLiteral("1000"), pump), platform::RunStopped);
}

}  // namespace
