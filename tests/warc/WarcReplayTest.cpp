// Answers from WARC files: captures, revisits, redirects, times, and files that cannot be read.
#include <gtest/gtest.h>

#include <QStringList>
#include <sstream>
#include <thread>

#include "TempFolder.h"
#include "app/ReplayOption.h"
#include "platform/Http.h"
#include "platform/HttpDownload.h"
#include "platform/WarcReplay.h"
#include "sim/SiteRouter.h"
#include "sim/WarcWriter.h"

namespace {

using spacesim::WarcWriter;

constexpr const char* kOld = "20120101000000";
constexpr const char* kMid = "20130101000000";
constexpr const char* kNew = "20140101000000";

std::string Message(int status, const std::string& body, const std::string& location = {},
                    spacesim::SongDelivery delivery = spacesim::SongDelivery::Whole) {
    return spacesim::HttpMessage({status, "text/html", body, delivery, location}, body);
}

// One record as a file would hold it, compressed or not.
std::string Record(bool compressed, const std::string& address, const std::string& body) {
    std::ostringstream out;
    WarcWriter(out, compressed).Response(address, kOld, Message(200, body), body);
    return out.str();
}

// Addresses captured at two times, then revisited.
constexpr int kRevisited = 40;
std::string Revisited(int i) {
    return "http://hi.baidu.com/x/revisited/" + std::to_string(i);
}

// Addresses captured three times at one second.
std::vector<std::string> Tied() {
    std::vector<std::string> addresses;
    for (int i = 0; i < 300; ++i) {
        addresses.push_back("http://hi.baidu.com/x/tied/" + std::to_string(i));
    }
    return addresses;
}

std::optional<std::string> Body(const std::string& address) {
    const auto response = platform::HttpGetResponse(address);
    return response ? std::optional(response->body) : std::nullopt;
}

class WarcReplayTest : public ::testing::Test {
protected:
    void TearDown() override { platform::SetReplayPrefix({}); }

    // Replays the files of the folder, nearest the time; returns the problems met.
    std::vector<std::string> Replay(const std::string& files, const std::string& time = {}) {
        const std::string prefix = "warc:" + files;
        std::vector<std::string> problems = platform::OpenWarcReplay(prefix, time);
        platform::SetReplayPrefix(prefix);
        return problems;
    }

    TempFolder folder_;
};

TEST_F(WarcReplayTest, CapturesRevisitsRedirectsAndTimesAnswerAsTheServerDid) {
    const std::string song(200000, 's');
    const std::string chunked(9000, 'c');
    std::ostringstream first;
    {
        WarcWriter writer(first, true);
        writer.Response("http://hi.baidu.com/x/page", kOld, Message(200, "old"), "old");
        writer.Response("http://hi.baidu.com/x/page", kNew, Message(200, "new"), "new");
        writer.Response("http://hi.baidu.com/x/moved", kOld, Message(302, "", "/x/page"), "");
        writer.Response("http://hi.baidu.com/x/lost", kOld,
                        Message(302, "", "http://hi.baidu.com/x/nowhere"), "");
        writer.Response("http://hi.baidu.com/x/chunked", kOld,
                        Message(200, chunked, {}, spacesim::SongDelivery::Chunked), chunked);
        writer.Resource("http://music.pagewren.test/a.mp3", kOld, "audio/mpeg", song);
        const std::string same = Message(200, "same");
        const std::string id = writer.Response("http://hi.baidu.com/x/same", kOld, same, "same");
        writer.Revisit("http://hi.baidu.com/x/same", kNew, same, "same", id, kOld);
        writer.Response("http://hi.baidu.com/x/blog/item/1.html", kOld, Message(200, "1"), "1");
        writer.Response("http://hi.baidu.com/x/blog/item/2.html", kOld, Message(404, "2"), "2");
        writer.Response("http://hi.baidu.com/x/blog/item/3.html", kOld, Message(200, "3"), "3");
        writer.Response("http://hi.baidu.com/x/blog/item/3.html", kNew, Message(404, "3"), "3");
        // A revisit stands for the capture of its address made at the time it names, the older
        // or the newer one, whichever comes first in the files.
        for (int i = 0; i < kRevisited; ++i) {
            const std::string_view meant = i % 2 == 0 ? kOld : kMid;
            std::string meantId;
            for (const std::string_view time : {i % 4 < 2 ? kMid : kOld, i % 4 < 2 ? kOld : kMid}) {
                const std::string body = time == meant ? "meant" : "other";
                const std::string id =
                    writer.Response(Revisited(i), time, Message(200, body), body);
                meantId = time == meant ? id : meantId;
            }
            writer.Revisit(Revisited(i), kNew, Message(200, "meant"), "meant", meantId, meant);
        }
        for (const std::string& address : Tied()) {
            writer.Response(address, kOld, Message(200, "first"), "first");
            writer.Response(address, kOld, Message(200, "second"), "second");
        }
        // A chunk's size may carry an extension after ";".
        writer.Response("http://hi.baidu.com/x/extended", kOld,
                        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                        "5;name=value\r\nhello\r\n0\r\n\r\n",
                        "hello");
    }
    folder_.Write("first.warc.gz", first.str());
    std::ostringstream second;
    // A revisit in another, plain file that names its original by the payload digest only.
    WarcWriter(second, false)
        .Revisit("http://hi.baidu.com/x/copy", kNew, Message(200, "same"), "same", {}, {});
    // Of the captures made at one second, the one last in the files answers, however many
    // there are.
    WarcWriter tied(second, false);
    for (const std::string& address : Tied()) {
        tied.Response(address, kOld, Message(200, "third"), "third");
    }
    folder_.Write("second.warc", second.str());

    EXPECT_TRUE(Replay(folder_.Path().toStdString()).empty());
    // Scheme, host case, default port, runs of slashes and the fragment do not matter.
    EXPECT_EQ(Body("HTTP://HI.Baidu.com:80//x/page#top"), "new");
    EXPECT_EQ(Body("http://hi.baidu.com/x/moved"), "new");
    EXPECT_EQ(Body("http://hi.baidu.com/x/lost"), std::nullopt);
    EXPECT_EQ(Body("http://hi.baidu.com/x/unknown"), std::nullopt);
    EXPECT_EQ(Body("http://hi.baidu.com/x/same"), "same");
    EXPECT_EQ(Body("http://hi.baidu.com/x/copy"), "same");
    for (int i = 0; i < kRevisited; ++i) {
        ASSERT_EQ(Body(Revisited(i)), "meant") << Revisited(i);
    }
    for (const std::string& address : Tied()) {
        ASSERT_EQ(Body(address), "third") << address;
    }
    EXPECT_EQ(Body("http://hi.baidu.com/x/extended"), "hello");
    const auto unchunked = platform::HttpGetResponse("http://hi.baidu.com/x/chunked");
    ASSERT_TRUE(unchunked);
    EXPECT_EQ(unchunked->body, chunked);
    EXPECT_EQ(unchunked->contentLength, "");
    const auto resource = platform::HttpGetResponse("http://music.pagewren.test/a.mp3");
    ASSERT_TRUE(resource);
    EXPECT_EQ(resource->contentType, "audio/mpeg");
    EXPECT_EQ(resource->body.size(), song.size());
    // A song's body goes to its file as it is read.
    {
        platform::HttpDownload download("http://music.pagewren.test/a.mp3", folder_.Path() + "/a");
        while (!download.Done()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        EXPECT_TRUE(download.Saved());
        EXPECT_EQ(folder_.Read("a"), song);
    }
    // The files' own index: addresses with a capture answered 200, once each.
    EXPECT_EQ(platform::WarcAddressesWithPrefix("hi.baidu.com/x/blog/item/"),
              (std::vector<std::string>{"http://hi.baidu.com/x/blog/item/1.html",
                                        "http://hi.baidu.com/x/blog/item/3.html"}));

    EXPECT_TRUE(Replay(folder_.Path().toStdString(), "20121231").empty());
    EXPECT_EQ(Body("http://hi.baidu.com/x/page"), "old");
    Replay(folder_.Path().toStdString(), "20131231235959");
    EXPECT_EQ(Body("http://hi.baidu.com/x/page"), "new");

    // The option keeps the prefix as typed, for the window titles.
    QStringList arguments = {"--replay", "warc:" + folder_.Path() + "/none.warc", "--at",
                             "20121231", "survey"};
    QString error;
    QStringList problems;
    ASSERT_TRUE(TakeReplayOption(arguments, &error, &problems));
    EXPECT_EQ(arguments, QStringList{"survey"});
    EXPECT_EQ(platform::ReplayPrefix(), "warc:" + folder_.Path().toStdString() + "/none.warc");
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].contains("none.warc: cannot be read")) << problems[0].toStdString();
    arguments = QStringList{"--replay", "warc:x", "--at", "2012"};
    EXPECT_FALSE(TakeReplayOption(arguments, &error));
    EXPECT_TRUE(error.contains("YYYYMMDD"));
}

TEST_F(WarcReplayTest, WhatCannotBeReadIsNamedByFileAndOffsetAndTheRestIsServed) {
    const auto address = [](const std::string& file, char record) {
        return "http://hi.baidu.com/" + file + "/" + record;
    };
    const auto records = [&](const std::string& file, bool compressed) {
        std::vector<std::string> made;
        for (const char name : {'a', 'b', 'c'}) {
            made.push_back(Record(compressed, address(file, name), std::string(3000, name)));
        }
        return made;
    };
    // A gzip member spoilt in the middle of its deflate data, then the next member.
    auto spoilt = records("spoilt", true);
    spoilt[1][spoilt[1].size() / 2] ^= 0x55;
    spoilt[1][spoilt[1].size() / 2 + 1] ^= 0x55;
    folder_.Write("spoilt.warc.gz", spoilt[0] + spoilt[1] + spoilt[2]);
    const auto cut = records("cut", true);
    folder_.Write("cut.warc.gz", cut[0] + cut[1].substr(0, cut[1].size() / 2));
    // A block longer than its file, and one shorter than its Content-Length says.
    auto longer = records("longer", false);
    const auto stretch = [](std::string& record, int by) {
        const std::size_t at = record.find("Content-Length: ") + 16;
        const std::size_t end = record.find('\r', at);
        record.replace(at, end - at, std::to_string(std::stoi(record.substr(at)) + by));
    };
    stretch(longer[1], 1000);
    folder_.Write("longer.warc", longer[0] + longer[1]);
    auto shorter = records("shorter", false);
    stretch(shorter[1], -5);
    folder_.Write("shorter.warc", shorter[0] + shorter[1] + shorter[2]);
    auto headless = records("headless", false);
    headless[0].erase(headless[0].find("Content-Length: "), 1);
    folder_.Write("headless.warc", headless[0] + headless[1]);
    folder_.Write("notes.warc", "just some notes\n");

    const std::vector<std::string> problems =
        Replay(folder_.Path().toStdString() + "," + folder_.File("missing.warc"));
    const auto said = [&](const std::string& file, std::size_t offset, const std::string& what) {
        const std::string start = folder_.File(QString::fromStdString(file)) + ", offset " +
                                  std::to_string(offset) + ": " + what;
        for (const std::string& problem : problems) {
            if (problem.starts_with(start)) {
                return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(said("spoilt.warc.gz", spoilt[0].size(), "the gzip member does not inflate"));
    EXPECT_TRUE(said("cut.warc.gz", cut[0].size(), "the gzip member is cut short"));
    EXPECT_TRUE(said("longer.warc", longer[0].size(), "the record runs past the end"));
    EXPECT_TRUE(said("shorter.warc", shorter[0].size(), "the record lacks its end"));
    EXPECT_TRUE(said("headless.warc", 0, "a corrupt record header"));
    const std::string notes = folder_.File("notes.warc") + ": not a WARC file";
    const std::string missing = folder_.File("missing.warc") + ": cannot be read";
    EXPECT_TRUE(std::count_if(problems.begin(), problems.end(), [&](const std::string& problem) {
                    return problem.starts_with(notes) || problem.starts_with(missing);
                }) == 2);
    EXPECT_EQ(problems.size(), 7u) << ::testing::PrintToString(problems);

    for (const std::string file : {"spoilt", "cut", "longer", "shorter"}) {
        EXPECT_EQ(Body(address(file, 'a')), std::string(3000, 'a')) << file;
        EXPECT_EQ(Body(address(file, 'b')), std::nullopt) << file;
    }
    EXPECT_EQ(Body(address("spoilt", 'c')), std::string(3000, 'c'));
    EXPECT_EQ(Body(address("shorter", 'c')), std::string(3000, 'c'));
    EXPECT_EQ(Body(address("headless", 'a')), std::nullopt);
    EXPECT_EQ(Body(address("headless", 'b')), std::string(3000, 'b'));
}

}  // namespace
