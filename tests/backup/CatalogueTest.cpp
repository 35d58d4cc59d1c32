#include <gtest/gtest.h>

#include <algorithm>

#include "SimFixture.h"
#include "TempFolder.h"
#include "TestArticleWindow.h"
#include "backup/ArticleCatalogue.h"

namespace {

const QString kSample = QStringLiteral("http://hi.baidu.com/jiaoliao");

class CatalogueTest : public ::testing::Test {
protected:
    void Catalogue(const QString& address) {
        window_.address = address;
        RunArticleCatalogue(window_);
    }
    int RequestsEndingWith(const std::string& tail) const {
        const auto requests = sim_.Requests();
        return static_cast<int>(std::count_if(requests.begin(), requests.end(), [&](const auto& r) {
            return r.size() >= tail.size() &&
                   r.compare(r.size() - tail.size(), tail.size(), tail) == 0;
        }));
    }

    SimFixture sim_;
    TempFolder app_;
    TestArticleWindow window_{app_.Path()};
};

TEST_F(CatalogueTest, SampleSpaceListsEveryCategoryAndArticle) {
    Catalogue(kSample);
    const platform::MemoryList& categories = window_.categories;
    ASSERT_EQ(categories.RowCount(), 4);
    const QStringList expected[] = {{"1", "生活随笔", "8", "2", "/jiaoliao/blog/category/life"},
                                    {"2", "旅途见闻", "7", "2", "/jiaoliao/blog/category/travel"},
                                    {"3", "读书笔记", "2", "0", "/jiaoliao/blog/category/notes"},
                                    {"4", "杂七杂八", "0", "0", "/jiaoliao/blog/category/misc"}};
    for (int row = 1; row <= 4; ++row) {
        for (int cell = 0; cell < 5; ++cell) {
            EXPECT_EQ(categories.Cell(row, cell), expected[row - 1][cell]) << row << "/" << cell;
        }
        EXPECT_EQ(categories.Cell(row, 5), "") << "返回值 is never filled";
    }

    const platform::MemoryList& articles = window_.articles;
    ASSERT_EQ(articles.RowCount(), 17);
    EXPECT_EQ(articles.Rows()[0],
              (QStringList{"1", "春天来了：去公园走走", "生活随笔", "2008-05-18 09:12",
                           kSample + "/blog/item/95042cd6b399fa40.html"}));
    // Titles are made fit for file names: ":" "?" "/" and the escaped "'" and "\".
    EXPECT_EQ(articles.Cell(2, 1), "为什么总是下雨 ");
    EXPECT_EQ(articles.Cell(3, 1), "Tom's 生日聚会");
    EXPECT_EQ(articles.Cell(4, 1), "上班 下班的路上");
    EXPECT_EQ(articles.Cell(5, 1), "C： 照片 整理完了");
    // The second category has a pager with only a next link; its last page is found too.
    EXPECT_EQ(articles.Cell(15, 1), "第一次坐飞机");
    EXPECT_EQ(articles.Cell(15, 2), "旅途见闻");
    // The one-page category takes its titles from the article pages.
    EXPECT_EQ(articles.Cell(16, 1), "读《红楼梦》：第一回");
    EXPECT_EQ(articles.Cell(17, 1), "What's next  书单 计划");
    EXPECT_EQ(articles.Cell(17, 3), "2008-05-15 21:15");
    for (int row = 1; row <= 17; ++row) {
        EXPECT_EQ(articles.Cell(row, 0), QString::number(row));
    }

    EXPECT_EQ(window_.Status(), "你的空间共4文章分类，共获取17篇文章！！，成功获取率为100.%");
    EXPECT_TRUE(window_.statuses.contains("您的空间共4文章分类"));
    EXPECT_TRUE(window_.statuses.contains("您的空间共4文章分类，共17篇文章"));
    EXPECT_TRUE(window_.statuses.contains("正在获取第16篇文章，标题为《读《红楼梦》：第一回》"));
    EXPECT_TRUE(window_.statuses.contains("正在获取第15篇，标题为《第一次坐飞机》"));
    EXPECT_TRUE(window_.saveEnabled);

    // Each listing page is read once; only the one-page category's articles are asked for.
    for (const char* page : {"/life/index/0", "/life/index/1", "/life/index/2", "/travel/index/0",
                             "/travel/index/2"}) {
        EXPECT_EQ(RequestsEndingWith(page), 1) << page;
    }
    // A one-page category is asked for its pager first, then read as its only listing page.
    EXPECT_EQ(RequestsEndingWith("/category/notes"), 2);
    EXPECT_EQ(RequestsEndingWith("/category/misc"), 2);
    EXPECT_EQ(RequestsEndingWith("/life/index/3"), 0);
    EXPECT_EQ(RequestsEndingWith("/blog/item/3458d76a60a127eb.html"), 1);
    EXPECT_EQ(RequestsEndingWith("/blog/item/95042cd6b399fa40.html"), 0);
}

// A listing page that fails, and one answered with success that lists nothing where the
// category's count promised articles.
TEST_F(CatalogueTest, MissingListingPageLowersTheRate) {
    sim_.SetFault("/jiaoliao/blog/category/life/index/1", "refuse");
    sim_.SetFault("/jiaoliao/blog/category/notes", "placeholder");
    Catalogue(kSample);
    EXPECT_EQ(window_.articles.RowCount(), 12);
    EXPECT_EQ(window_.Status(),
              "你的空间共4文章分类，共获取12篇文章！！，成功获取率为70.59%，"
              "其中 2 个页面读取失败");
}

// Another address typed into the box while the catalogue runs: the run lists the space it
// began with, to its end.
TEST_F(CatalogueTest, AddressTypedDuringTheRunChangesNothingOfIt) {
    struct TypingWindow : TestArticleWindow {
        using TestArticleWindow::TestArticleWindow;
        void SetStatus(const QString& caption) override {
            TestArticleWindow::SetStatus(caption);
            address = QStringLiteral("http://hi.baidu.com/sma");
        }
    } window(app_.Path(), kSample);
    RunArticleCatalogue(window);
    ASSERT_EQ(window.articles.RowCount(), 17);
    for (int row = 1; row <= 17; ++row) {
        EXPECT_TRUE(window.articles.Cell(row, 4).startsWith(kSample + "/blog/item/")) << row;
    }
}

TEST_F(CatalogueTest, FailedArticleRequestKeepsThePreviousTitle) {
    sim_.SetFault("/jiaoliao/blog/item/d4bc6d5ca64dbcb9.html", "refuse");
    Catalogue(kSample);
    ASSERT_EQ(window_.articles.RowCount(), 17);
    EXPECT_EQ(window_.articles.Cell(17, 1), "读《红楼梦》：第一回");
    EXPECT_EQ(window_.articles.Cell(17, 4), kSample + "/blog/item/d4bc6d5ca64dbcb9.html");
    EXPECT_TRUE(window_.Status().endsWith("成功获取率为100.%，其中 1 个页面读取失败"))
        << window_.Status().toStdString();
}

TEST_F(CatalogueTest, ShortAddressOrMissingSpaceListsNothing) {
    Catalogue(QStringLiteral("http://hi.baidu.com"));
    EXPECT_TRUE(sim_.Requests().empty());
    EXPECT_TRUE(window_.statuses.isEmpty());
    EXPECT_TRUE(window_.saveEnabled);
    Catalogue(QStringLiteral("http://hi.baidu.com/nosuchwren"));
    EXPECT_EQ(sim_.Requests().size(), 1u);
    EXPECT_EQ(window_.categories.RowCount(), 0);
    // The service's error page is no empty space.
    EXPECT_EQ(window_.Status(), "您的百度空间不存在！！");
}

TEST(CatalogueRate, WrittenWithAtMostTwoDecimalsAndAlwaysThePoint) {
    EXPECT_EQ(FormatRate(100.0), "100.");
    EXPECT_EQ(FormatRate(100.0 / 3.0), "33.33");
    EXPECT_EQ(FormatRate(12.303), "12.3");
}

TEST_F(CatalogueTest, CategoryLinksThatWouldLeaveTheServiceHostAreNotFollowed) {
    std::string section = "key1=1\"文章分类";
    for (const char* link :
         {"@127.0.0.1:9/category", ".evil.test/category", "/odd/blog/category/a"}) {
        section += std::string("<div class=\"item\"><a href=\"") + link +
                   "\" title=\"查看该分类中所有文章\">甲</a>(1)</div>";
    }
    sim_.Server().SetPage("/odd/blog", section + "文章存档");
    Catalogue(QStringLiteral("http://hi.baidu.com/odd"));
    ASSERT_EQ(window_.categories.RowCount(), 3);
    EXPECT_EQ(window_.categories.Cell(1, 4), "@127.0.0.1:9/category");
    // The blog page, three pager pages below the root and one listing page: no other host.
    const auto requests = sim_.Requests();
    EXPECT_EQ(requests.size(), 5u);
    for (const auto& request : requests) {
        EXPECT_EQ(request.rfind("hi.baidu.com/", 0), 0u) << request;
    }
    EXPECT_EQ(RequestsEndingWith("/odd/blog/category/a"), 2);
}

// Pages written for one case, for what the sample spaces cannot show.
class OddPagesTest : public ::testing::Test {
protected:
    static std::string BlogPage(const std::string& perPage, const std::string& count) {
        return "<html>" + perPage +
               "文章分类<div class=\"item\"><a href=\"/odd/blog/category/a\" "
               "title=\"查看该分类中所有文章\">甲</a>(" +
               count + ")</div>文章存档</html>";
    }
    static std::string Entry(const std::string& id, const std::string& title, bool advance) {
        return "<div class=\"tit\"><a href=\"/odd/blog/item/" + id + ".html\" target=\"_blank\">" +
               title + "</a></div><div class=\"date\">2008-01-01</div><script>art_id+=\"" + id +
               "\"+\".html\";" + (advance ? "x++;document.getElementById(\"art\"+x);" : "") +
               "</script>";
    }
    void Catalogue() {
        window_.address = QStringLiteral("http://hi.baidu.com/odd");
        RunArticleCatalogue(window_);
    }
    // The simulator reads a path whose leading slash is doubled as the same path.
    void Serve(const std::string& path, const std::string& page) {
        sim_.Server().SetPage(path.substr(path.find_first_not_of('/') - 1), page);
    }

    SimFixture sim_;
    TempFolder app_;
    TestArticleWindow window_{app_.Path()};
};

TEST_F(OddPagesTest, EntryWithoutAdvanceMarkerIsListedOnceAndTheWalkEnds) {
    Serve("/odd/blog", BlogPage("var p=\"key1=3\";", "2"));
    Serve("//odd/blog/category/a",
          "[首页]<a href=\"/odd/blog/category/a/index/1\">[2]</a>&nbsp;<a "
          "href=\"/odd/blog/category/a/index/1\">[下一页]</a>");
    Serve("/odd/blog/category/a/index/0",
          "个人档案" + Entry("00000000000000a1", "一", false) + "文章分类");
    Serve("/odd/blog/category/a/index/1",
          "个人档案" + Entry("00000000000000a2", "二", true) + "文章分类");
    Catalogue();
    ASSERT_EQ(window_.categories.Cell(1, 3), "1");
    ASSERT_EQ(window_.articles.RowCount(), 2);
    EXPECT_EQ(window_.articles.Cell(1, 1), "一");
    EXPECT_EQ(window_.articles.Cell(2, 1), "二");
    EXPECT_EQ(window_.Status(), "你的空间共1文章分类，共获取2篇文章！！，成功获取率为100.%");
}

TEST_F(OddPagesTest, NoPerPageCountListsCategoriesButNoArticle) {
    Serve("/odd/blog", BlogPage("", "5"));
    Serve("/odd/blog/category/a", "个人档案" + Entry("00000000000000a1", "一", true));
    Catalogue();
    EXPECT_EQ(window_.categories.RowCount(), 1);
    EXPECT_EQ(window_.articles.RowCount(), 0);
    // The five articles the count promised are not lost in silence.
    EXPECT_EQ(window_.Status(),
              "你的空间共1文章分类，共获取0篇文章！！，成功获取率为0.%，其中 1 个页面读取失败");
}

TEST_F(OddPagesTest, CountThatIsNoNumberLeavesTheTotal) {
    Serve("/odd/blog", BlogPage("key1=3\"", "很多"));
    Catalogue();
    EXPECT_EQ(window_.categories.Cell(1, 2), "很多");
    // Neither the category's page nor its listing is served.
    EXPECT_EQ(window_.Status(), "您的空间共1文章分类，共0篇文章，其中 2 个页面读取失败");
}

TEST_F(OddPagesTest, HugePageIndexReadsNoPage) {
    Serve("/odd/blog", BlogPage("key1=3\"", "1"));
    Serve("//odd/blog/category/a",
          "<a>[下一页]</a>&nbsp;<a href=\"/odd/blog/category/a/index/99999\">[尾页]");
    Catalogue();
    EXPECT_EQ(window_.categories.Cell(1, 3), "99999");
    EXPECT_EQ(window_.articles.RowCount(), 0);
    EXPECT_EQ(sim_.Requests().size(), 2u);
    EXPECT_TRUE(window_.Status().endsWith("其中 1 个页面读取失败"));
}

// A page bar naming page 2000 of a category of three articles, each page linking the same
// three: they are listed once, and the walk ends three pages past the one the count needs.
TEST_F(OddPagesTest, FarLastPageAndRepeatedLinksCostNoMoreThanTheirPages) {
    Serve("/odd/blog", BlogPage("key1=3\"", "3"));
    Serve("//odd/blog/category/a",
          "<a>[下一页]</a>&nbsp;<a href=\"/odd/blog/category/a/index/2000\">[尾页]");
    const std::string entries = Entry("00000000000000a1", "一", true) +
                                Entry("00000000000000a2", "二", true) +
                                Entry("00000000000000a1", "一", true);
    for (int page = 0; page < 10; ++page) {
        Serve("/odd/blog/category/a/index/" + std::to_string(page),
              "个人档案" + entries + "文章分类");
    }
    Catalogue();
    EXPECT_EQ(window_.articles.RowCount(), 2);
    EXPECT_EQ(sim_.Requests().size(), 2u + 4u);
    EXPECT_EQ(window_.Status(), "你的空间共1文章分类，共获取2篇文章！！，成功获取率为66.67%");
}

}  // namespace
