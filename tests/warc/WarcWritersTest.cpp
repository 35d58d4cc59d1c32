// WARC files as other programs write them (browser capture tools, a Chrome-based writer, hand-
// made archives, WACZ, ARC), each written here from the sample space, back the space up byte
// for byte as the live pages do; captures that cannot be read are named when a request fails.
#include <gtest/gtest.h>
#include <zip.h>
#include <zlib.h>

#include <QDir>
#include <QDirIterator>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "CliRunner.h"
#include "SimFixture.h"
#include "TempFolder.h"
#include "WholeBackup.h"
#include "reading/ReadingNames.h"
#include "sim/SpaceServer.h"
#include "sim/WarcWriter.h"

namespace {

const QString& kAddress = kWholeBackupAddress;

// One record of a WARC file: its header fields but the length, and its block.
struct Record {
    std::string fields;  // "WARC-Type: response\r\n..." without Content-Length
    std::string type;
    std::string uri;
    std::string id;
    std::string block;
};

// An HTTP message cut apart: its head without the lines that frame the body, and the body as
// it went out, without chunks.
struct Message {
    std::string head;  // "HTTP/1.1 200 OK\r\nContent-Type: ...\r\n"
    std::string body;
};

std::string Field(const std::string& fields, const std::string& name) {
    const std::size_t at = fields.find(name + ": ");
    return at == std::string::npos ? std::string()
                                   : fields.substr(at + name.size() + 2,
                                                   fields.find("\r\n", at) - at - name.size() - 2);
}

// The records of a WARC file as spacesim writes them, uncompressed.
std::vector<Record> Records(const std::string& warc) {
    std::vector<Record> records;
    for (std::size_t at = 0; at < warc.size();) {
        const std::size_t headEnd = warc.find("\r\n\r\n", at);
        const std::string head = warc.substr(at, headEnd + 2 - at);
        const std::size_t length = std::stoul(Field(head, "Content-Length"));
        Record record;
        std::istringstream lines(head.substr(head.find("\r\n") + 2));
        for (std::string line; std::getline(lines, line);) {
            if (!line.starts_with("Content-Length:")) {
                record.fields += line + "\n";
            }
        }
        record.type = Field(record.fields, "WARC-Type");
        record.uri = Field(record.fields, "WARC-Target-URI");
        record.id = Field(record.fields, "WARC-Record-ID");
        record.block = warc.substr(headEnd + 4, length);
        records.push_back(record);
        at = headEnd + 4 + length + 4;
    }
    return records;
}

Message Cut(const std::string& http) {
    const std::size_t end = http.find("\r\n\r\n");
    Message message;
    std::istringstream lines(http.substr(0, end + 2));
    for (std::string line; std::getline(lines, line);) {
        if (!line.starts_with("Content-Length:") && !line.starts_with("Transfer-Encoding:")) {
            message.head += line + "\n";
        }
    }
    std::string rest = http.substr(end + 4);
    if (http.substr(0, end).find("Transfer-Encoding: chunked") == std::string::npos) {
        message.body = rest;
        return message;
    }
    for (std::size_t size = 1; size > 0;) {
        const std::size_t lineEnd = rest.find("\r\n");
        size = std::stoul(rest.substr(0, lineEnd), nullptr, 16);
        message.body += rest.substr(lineEnd + 2, size);
        rest.erase(0, lineEnd + 2 + size + 2);
    }
    return message;
}

std::string Chunks(const std::string& body) {
    std::string chunked;
    for (std::size_t at = 0; at < body.size(); at += 1000) {
        const std::string piece = body.substr(at, 1000);
        std::ostringstream size;
        size << std::hex << piece.size();
        chunked += size.str() + "\r\n" + piece + "\r\n";
    }
    return chunked + "0\r\n\r\n";
}

// The bytes deflated: with the gzip framing, the zlib framing or none (window bits).
std::string Deflated(const std::string& bytes, int windowBits) {
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, bytes.size()) + 64, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(out.size() - stream.avail_out);
    deflateEnd(&stream);
    return out;
}
std::string Gzipped(const std::string& bytes) {
    return Deflated(bytes, 16 + MAX_WBITS);
}

std::string Framed(const std::string& fields, const std::string& block,
                   const std::string& end = "\r\n\r\n") {
    return "WARC/1.1\r\n" + fields + "Content-Length: " + std::to_string(block.size()) +
           "\r\n\r\n" + block + end;
}

// A WARC file of the records, each response's message written anew by the style.
using MessageStyle = std::function<std::string(const Message&)>;
std::string Written(const std::vector<Record>& records, const MessageStyle& style,
                    const std::string& end = "\r\n\r\n") {
    std::string warc;
    for (const Record& record : records) {
        const bool response = record.type == "response";
        warc += Framed(record.fields, response ? style(Cut(record.block)) : record.block, end);
    }
    return warc;
}

std::string AsSent(const Message& message) {
    return message.head + "Content-Length: " + std::to_string(message.body.size()) + "\r\n\r\n" +
           message.body;
}

bool IsPage(const Message& message) {
    return message.head.find("Content-Type: text/") != std::string::npos;
}

// Each record a gzip member; the offset of each member.
std::string MemberPerRecord(const std::vector<Record>& records, std::vector<std::size_t>* at) {
    std::string file;
    for (const Record& record : records) {
        if (at != nullptr) {
            at->push_back(file.size());
        }
        file += Gzipped(Framed(record.fields, record.block));
    }
    return file;
}

// Every response answered again twice later by revisits, each standing for the one before:
// the first by record ID, the second by address and time; neither names the payload.
std::string RevisitChains(const std::vector<Record>& records) {
    std::string warc;
    int made = 0;
    for (const Record& record : records) {
        warc += Framed(record.fields, record.block);
        if (record.type != "response") {
            continue;
        }
        const std::string head = record.block.substr(0, record.block.find("\r\n\r\n") + 4);
        const std::string first =
            "<urn:uuid:00000000-0000-4000-8000-" + std::to_string(100000000000 + ++made) + ">";
        warc += Framed("WARC-Type: revisit\r\nWARC-Target-URI: " + record.uri +
                           "\r\nWARC-Date: 2014-01-01T00:00:00Z\r\nWARC-Record-ID: " + first +
                           "\r\nWARC-Refers-To: " + record.id +
                           "\r\nContent-Type: application/http; msgtype=response\r\n",
                       head);
        warc += Framed(
            "WARC-Type: revisit\r\nWARC-Target-URI: " + record.uri +
                "\r\nWARC-Date: 2015-01-01T00:00:00Z\r\nWARC-Refers-To-Target-URI: " + record.uri +
                "\r\nWARC-Refers-To-Date: 2014-01-01T00:00:00Z"
                "\r\nContent-Type: application/http; msgtype=response\r\n",
            head);
    }
    return warc;
}

// The records with 200 KB of another site's captures after each, gzipped as one member.
std::string WholeFileGzip(const std::vector<Record>& records) {
    std::string warc;
    int filler = 0;
    for (const Record& record : records) {
        warc += Framed(record.fields, record.block);
        std::string noise;
        for (unsigned value = ++filler; noise.size() < 200000; value = value * 1103515245 + 12345) {
            noise += static_cast<char>('a' + (value >> 16) % 26);
        }
        warc += Framed("WARC-Type: resource\r\nWARC-Target-URI: http://other.test/" +
                           std::to_string(filler) +
                           "\r\nWARC-Date: 2012-01-01T00:00:00Z\r\nContent-Type: text/plain\r\n",
                       noise);
    }
    return Gzipped(warc);
}

// ARC version 1, each record a gzip member; revisits have no place in it.
std::string Arc(const std::vector<Record>& records) {
    const std::string version =
        "1 0 Pagewren tests\nURL IP-address Archive-date Content-type "
        "Archive-length\n\n";
    std::string arc = Gzipped("filedesc://sample.arc 0.0.0.0 20120101000000 text/plain " +
                              std::to_string(version.size()) + "\n" + version + "\n");
    for (const Record& record : records) {
        if (record.type == "response") {
            const std::string line = record.uri + " 127.0.0.1 20120101000000 " +
                                     std::string(IsPage(Cut(record.block)) ? "text/html" : "-") +
                                     " " + std::to_string(record.block.size()) + "\n";
            arc += Gzipped(line + record.block + "\n");
        }
    }
    return arc;
}

void Zip(const std::string& path, const std::map<std::string, std::string>& files, bool store) {
    int error = 0;
    zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    for (const auto& [name, bytes] : files) {
        zip_source_t* source = zip_source_buffer(zip, bytes.data(), bytes.size(), 0);
        const zip_int64_t index = zip_file_add(zip, name.c_str(), source, ZIP_FL_OVERWRITE);
        zip_set_file_compression(zip, static_cast<zip_uint64_t>(index),
                                 store ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0);
    }
    zip_close(zip);
}

// A WACZ file as browser archiving tools write it: the WARC stored, an index of CDXJ lines.
void Wacz(const std::string& path, const std::vector<Record>& records) {
    std::vector<std::size_t> offsets;
    const std::string warc = MemberPerRecord(records, &offsets);
    std::string index;
    for (std::size_t i = 0; i < records.size(); ++i) {
        index += "cn,com,baidu,hi)/ 20120101000000 {\"url\": \"" + records[i].uri +
                 "\", \"offset\": \"" + std::to_string(offsets[i]) +
                 "\", \"filename\": \"data.warc.gz\"}\n";
    }
    Zip(path,
        {{"archive/data.warc.gz", warc},
         {"indexes/index.cdxj", index},
         {"pages/pages.jsonl", "{\"format\": \"json-pages-1.0\"}\n"},
         {"datapackage.json", "{\"profile\": \"data-package\"}"}},
        true);
}

TEST(WarcWritersTest, FilesInEveryWritersStyleBackUpTheSpaceAsTheLivePagesDo) {
    SimFixture sim;
    TempFolder work;
    std::string said;
    const std::string live = BackUpEveryWindow(work.Path() + "/live", {}, {"html"}, &said);
    const auto expected = Tree(work.Path() + "/live");
    ASSERT_GT(expected.size(), 40u);

    std::ostringstream plain;
    const spacesim::Space& space = *sim.Server().Spaces().Find("jiaoliao");
    spacesim::WriteSpaceWarc(sim.Server().Spaces(), space, plain, false);
    const std::vector<Record> records = Records(plain.str());
    int gzipPages = 0;
    const std::map<std::string, std::string> styles = {
        // Browser capture tools keep the chunked header over the body they stored whole.
        {"browser.warc", Written(records,
                                 [](const Message& m) {
                                     return m.head + "Transfer-Encoding: chunked\r\n\r\n" + m.body;
                                 })},
        // A Chrome-based writer ends each record with one CRLF.
        {"one-crlf.warc", Written(records, AsSent, "\r\n")},
        {"capital-chunked.warc", Written(records,
                                         [](const Message& m) {
                                             return m.head + "Transfer-Encoding: Chunked\r\n\r\n" +
                                                    Chunks(m.body);
                                         })},
        // Pages as servers sent them compressed, with and without the zlib wrapper.
        {"gzip-pages.warc",
         Written(records,
                 [&](const Message& m) {
                     if (!IsPage(m)) {
                         return AsSent(m);
                     }
                     const bool gzip = ++gzipPages % 2 == 0;
                     const std::string coded = Deflated(m.body, gzip ? 16 + MAX_WBITS : MAX_WBITS);
                     return m.head + "Content-Encoding: " + (gzip ? "gzip" : "deflate") +
                            "\r\nContent-Length: " + std::to_string(coded.size()) + "\r\n\r\n" +
                            coded;
                 })},
        {"whole-file.warc.gz", WholeFileGzip(records)},
        {"revisit-chains.warc", RevisitChains(records)},
        {"crawl.arc.gz", Arc(records)},
    };
    for (const auto& [name, bytes] : styles) {
        work.Write(QString::fromStdString(name), bytes);
    }
    Wacz(work.File("browser.wacz"), records);
    // Zipped by hand, without an index: the WARC file deflated inside the zip.
    Zip(work.File("by-hand.wacz"), {{"archive/data.warc.gz", MemberPerRecord(records, nullptr)}},
        false);

    sim.ClearRequests();
    for (const char* file : {"browser.warc", "one-crlf.warc", "capital-chunked.warc",
                             "gzip-pages.warc", "whole-file.warc.gz", "revisit-chains.warc",
                             "crawl.arc.gz", "browser.wacz", "by-hand.wacz"}) {
        const QString folder = work.Path() + "/" + file + "-backup";
        said.clear();
        const std::string printed = BackUpEveryWindow(
            folder, {"--replay", "warc:" + QString::fromStdString(work.File(file))}, {"html"},
            &said);
        // The files hold the space's two photos that no article shows, which their own index
        // names: each save brings them beside the pictures the live pages gave, and the reading
        // copy shows them on its album page.
        auto tree = Tree(folder);
        EXPECT_EQ(std::erase_if(tree, [&](const auto& f) { return !expected.contains(f.first); }),
                  3u)
            << file;
        EXPECT_TRUE(tree == expected) << file;
        std::string withoutPhotos = printed;
        for (std::size_t at; (at = withoutPhotos.find("图片已保存 9 张")) != std::string::npos;) {
            withoutPhotos.replace(at, std::string("图片已保存 9 张").size(), "图片已保存 7 张");
        }
        EXPECT_TRUE(withoutPhotos == live) << file << "\n" << printed;
        EXPECT_EQ(said.find(file), std::string::npos) << said;
    }
    EXPECT_TRUE(sim.Requests().empty()) << "the files answered, not the network";
}

// A capture that cannot be read fails its request, and the CLI names its file and offset.
TEST(WarcWritersTest, ACaptureThatCannotBeReadIsNamedWhenItsRequestFails) {
    TempFolder work;
    std::ostringstream out;
    spacesim::WarcWriter writer(out, false);
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n";
    const std::map<std::string, std::string> homes = {
        {"longhead",
         head + "X-Filler: " + std::string(300 * 1024, 'x') + "\r\nContent-Length: 2\r\n\r\nhi"},
        {"badchunks",
         head + "Transfer-Encoding: chunked\r\n\r\n2\r\nhi\r\nzz\r\nmore\r\n0\r\n\r\n"},
        {"badgzip", head + "Content-Encoding: gzip\r\nContent-Length: 12\r\n\r\n\x1f\x8b\x08" +
                        std::string(9, 'x')},
    };
    std::map<std::string, std::size_t> offsets;
    for (const auto& [name, message] : homes) {
        offsets[name] = out.str().size();
        writer.Response("http://hi.baidu.com/" + name, "20120101000000", message, "hi");
    }
    work.Write("odd.warc", out.str());
    for (const auto& [name, offset] : offsets) {
        const CliResult run =
            RunCli({"--app-dir", work.Path(), "--pace", "0", "--replay",
                    "warc:" + QString::fromStdString(work.File("odd.warc")), "css",
                    "http://hi.baidu.com/" + QString::fromStdString(name)});
        EXPECT_NE(run.err.find(work.File("odd.warc") + ", offset " + std::to_string(offset) +
                               ": the capture of http://hi.baidu.com/" + name + " cannot be read"),
                  std::string::npos)
            << run.err;
    }
}

}  // namespace
