#include <gtest/gtest.h>

#include "SimFixture.h"
#include "TempFolder.h"
#include "app/SpaceAddress.h"
#include "app/SpaceSurvey.h"
#include "platform/EventPump.h"
#include "platform/MemoryList.h"

namespace {

// The main window's controls as plain values, with the captions it starts with.
class FakeMainWindow : public SurveyControls {
public:
    explicit FakeMainWindow(QString address) : address(std::move(address)) {
        labels.fill(QStringLiteral("initial"));
    }
    QString Address() const override { return address; }
    void SetAddress(const QString& text) override { address = text; }
    platform::ReportList& Categories() override { return categories; }
    platform::ReportList& Songs() override { return songs; }
    QString Label(SurveyLabel label) const override { return labels[Index(label)]; }
    void SetLabel(SurveyLabel label, const QString& caption) override {
        labels[Index(label)] = caption;
    }
    void SetSurveyEnabled(bool enabled) override { surveyEnabled = enabled; }
    platform::EventPump& Pump() override { return pump; }

    QString address;
    platform::MemoryList categories;
    platform::MemoryList songs;
    std::array<QString, 6> labels;
    bool surveyEnabled = true;
    platform::SleepingPump pump{0.0};

private:
    static std::size_t Index(SurveyLabel label) { return static_cast<std::size_t>(label); }
};

class SurveyTest : public ::testing::Test {
protected:
    QString Label(SurveyLabel label) const { return window_.Label(label); }
    void Survey(const QString& address) {
        window_.address = address;
        RunSpaceSurvey(window_, app_.Path());
    }

    SimFixture sim_;
    TempFolder app_;
    FakeMainWindow window_{QString()};
};

TEST_F(SurveyTest, SampleSpaceFillsListsLabelsAndSettings) {
    Survey(QStringLiteral("http://hi.baidu.com/pagewren"));
    ASSERT_EQ(window_.categories.RowCount(), 4);
    EXPECT_EQ(window_.categories.Cell(1, 0), "1");
    EXPECT_EQ(window_.categories.Cell(4, 0), "4");
    EXPECT_FALSE(window_.categories.Cell(1, 1).isEmpty());
    EXPECT_TRUE(window_.categories.Cell(1, 3).startsWith("http://hi.baidu.com/pagewren/"));
    EXPECT_EQ(Label(SurveyLabel::Article), "您的百度空间共有 4 个“文章分类”和 17 篇文章");
    ASSERT_EQ(window_.songs.RowCount(), 3);
    EXPECT_TRUE(window_.songs.Cell(1, 1).startsWith("http://"));
    EXPECT_NE(window_.songs.Cell(1, 1), window_.songs.Cell(2, 1));
    EXPECT_EQ(Label(SurveyLabel::Music), "您的百度空间共有 3 首背景音乐");
    EXPECT_EQ(Label(SurveyLabel::Css), "您的百度空间CSS代码已经获取，请点击查看");
    EXPECT_EQ(Label(SurveyLabel::Photo), "此版本还未添加获取空间相片功能，尽请期待");
    EXPECT_EQ(Label(SurveyLabel::Board), "您的百度空间共有 23 条留言");
    EXPECT_EQ(Label(SurveyLabel::Comments), "您的百度空间约有 50 条文章评论");
    EXPECT_TRUE(window_.surveyEnabled);
    EXPECT_EQ(LoadSpaceAddress(app_.Path()), "http://hi.baidu.com/pagewren");
    EXPECT_EQ(sim_.Requests().size(), 4u);
}

TEST_F(SurveyTest, SpaceWithoutCommentsEndsEarlyAndSavesNothing) {
    Survey(QStringLiteral("http://hi.baidu.com/quietwren"));
    EXPECT_EQ(Label(SurveyLabel::Music), "您的百度空间没有背景音乐");
    EXPECT_EQ(window_.songs.RowCount(), 0);
    EXPECT_EQ(Label(SurveyLabel::Board), "您的百度空间共有 0 条留言");
    EXPECT_EQ(Label(SurveyLabel::Comments), "您的百度空间没有文章评论");
    EXPECT_TRUE(window_.surveyEnabled);
    EXPECT_FALSE(QFile::exists(app_.Path() + "/blogurl.ini"));
}

TEST_F(SurveyTest, PageBarWithoutLastPageLinkCountsItsLinks) {
    Survey(QStringLiteral("http://hi.baidu.com/smallwren"));
    EXPECT_EQ(Label(SurveyLabel::Comments), "您的百度空间约有 30 条文章评论");
    EXPECT_EQ(Label(SurveyLabel::Music), "您的百度空间共有 1 首背景音乐");
}

TEST_F(SurveyTest, AddressWithoutSchemeGetsOne) {
    Survey(QStringLiteral("hi.baidu.com/pagewren"));
    EXPECT_EQ(window_.address, "http://hi.baidu.com/pagewren");
    EXPECT_EQ(LoadSpaceAddress(app_.Path()), "http://hi.baidu.com/pagewren");
}

TEST_F(SurveyTest, UnusableAddressRequestsNothingAndIsStillSaved) {
    Survey(QString());
    EXPECT_EQ(window_.address, "http://");
    EXPECT_EQ(Label(SurveyLabel::Article), "您的百度空间共有 0 个“文章分类”和 0 篇文章");
    EXPECT_EQ(Label(SurveyLabel::Music), "您的百度空间没有背景音乐");
    EXPECT_EQ(Label(SurveyLabel::Board), "");
    EXPECT_EQ(Label(SurveyLabel::Comments), "initial");
    EXPECT_TRUE(sim_.Requests().empty());
    EXPECT_EQ(LoadSpaceAddress(app_.Path()), "http://");
}

TEST_F(SurveyTest, FailedRequestsReadAsEmptyPages) {
    sim_.SetFault("/pagewren/blog", "refuse");
    sim_.SetFault("/pagewren/music/music.pls", "truncate");
    sim_.SetFault("/pagewren/profile", "status500");
    Survey(QStringLiteral("http://hi.baidu.com/pagewren"));
    EXPECT_EQ(window_.categories.RowCount(), 0);
    EXPECT_EQ(Label(SurveyLabel::Article), "您的百度空间共有 0 个“文章分类”和 0 篇文章");
    EXPECT_EQ(Label(SurveyLabel::Music), "您的百度空间没有背景音乐");
    EXPECT_EQ(Label(SurveyLabel::Board), "您的百度空间共有 0 条留言");
    EXPECT_EQ(Label(SurveyLabel::Comments), "您的百度空间约有 50 条文章评论");
}

TEST_F(SurveyTest, DeadServerIsAFailedRequestNotAHang) {
    sim_.Stop();
    Survey(QStringLiteral("http://hi.baidu.com/pagewren"));
    EXPECT_EQ(window_.categories.RowCount(), 0);
    EXPECT_EQ(Label(SurveyLabel::Comments), "您的百度空间约有 0 条文章评论");
    EXPECT_EQ(LoadSpaceAddress(app_.Path()), "http://hi.baidu.com/pagewren");
}

}  // namespace
