// Space files and generated spaces: what a data author or a benchmark meets.
#include "SimClient.h"

#include "sim/SpaceGenerator.h"
#include "sim/SpaceStore.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>

namespace {

namespace fs = std::filesystem;
using spacesim::Space;
using spacesim::SpaceStore;

class SpaceFolder : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("spacesim-" +
                   std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    void Write(const std::string& name, const std::string& text) {
        std::ofstream(folder_ / name, std::ios::binary) << text;
    }

    // The message of the error FromFolder throws, empty when it throws none.
    std::string LoadError() {
        try {
            SpaceStore::FromFolder(folder_);
        } catch (const std::runtime_error& error) {
            return error.what();
        }
        return {};
    }

    fs::path folder_;
};

constexpr const char* kOneArticle = R"({"title": "T", "categories": [{"slug": "a", "name": "甲",
    "articles": [{"id": "0123456789abcdef", "title": "TITLE", "date": "2009-01-01 00:00",
                  "content": "CONTENT"}]}]})";

std::string WithTitle(const std::string& title) {
    std::string text = kOneArticle;
    return text.replace(text.find("TITLE"), 5, title);
}

TEST_F(SpaceFolder, SpaceTakesItsNameFromTheFile) {
    Write("somewren.json", kOneArticle);
    Write("notes.txt", "not a space");
    const SpaceStore store = SpaceStore::FromFolder(folder_);
    EXPECT_EQ(store.Names(), std::vector<std::string>{"somewren"});
    EXPECT_EQ(store.Find("somewren")->categories.at(0).articles.at(0).title, "TITLE");
}

TEST_F(SpaceFolder, BrokenFileIsNamedInTheError) {
    Write("badwren.json", "{\"title\": ");
    EXPECT_NE(LoadError().find("badwren.json"), std::string::npos);
}

TEST_F(SpaceFolder, TextsThatWouldMoveTheClientsCutsAreRefused) {
    for (const std::string title : {"a_b", "my category", "文章分类", "x [下一页]"}) {
        SCOPED_TRACE(title);
        Write("somewren.json", WithTitle(title));
        EXPECT_NE(LoadError().find("somewren.json"), std::string::npos);
    }
}

TEST_F(SpaceFolder, MalformedIdsAndSlugsAreRefused) {
    std::string text = kOneArticle;
    Write("shortid.json", std::string(text).replace(text.find("0123456789abcdef"), 16, "0123"));
    EXPECT_NE(LoadError().find("shortid.json"), std::string::npos);
    fs::remove(folder_ / "shortid.json");
    Write("badslug.json", std::string(text).replace(text.find("\"a\""), 3, "\"index\""));
    EXPECT_NE(LoadError().find("badslug.json"), std::string::npos);
}

TEST(GeneratedSpace, IsTheSameOnEveryRun) {
    const Space space = spacesim::GenerateSpace("bigwren", 2000);
    const Space again = spacesim::GenerateSpace("bigwren", 2000);
    EXPECT_EQ(again.categories[3].articles[7].id, space.categories[3].articles[7].id);
    EXPECT_EQ(again.categories[3].articles[7].title, space.categories[3].articles[7].title);
}

class GeneratedSpaceServer : public ::testing::Test {
protected:
    void SetUp() override {
        SpaceStore store;
        store.Add(spacesim::GenerateSpace("bigwren", 2000));
        server_.emplace(std::move(store));
        port_ = server_->Start(0);
        ASSERT_GT(port_, 0);
    }
    std::optional<spacesim::SpaceServer> server_;
    int port_ = -1;
};

TEST_F(GeneratedSpaceServer, ServesTenCategoriesOfTwentyPagesEach) {
    const std::string blog = Utf8(Fetch(Origin(port_) + "/bigwren/blog").body);
    const std::string section = Cut(blog, "文章分类", "文章存档");
    EXPECT_EQ(Count(section, "category"), 10);
    EXPECT_EQ(Count(section, "</a>(200)</div>"), 10);
    EXPECT_EQ(Cut(blog, "key1=", "\""), "10");
    const std::string lastPage =
        Utf8(Fetch(Origin(port_) + "/bigwren/blog/category/c2/index/19").body);
    EXPECT_EQ(Count(Cut(lastPage, "个人档案", "文章分类"), "x++;document.getElementById"), 10);
    EXPECT_EQ(Fetch(Origin(port_) + "/bigwren/blog/category/c2/index/20").status, 404);
}

}  // namespace
