#pragma once

#include <cstddef>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

namespace spacesim {

// The later capture time that WriteSpaceWarc gives the pages it captures twice.
inline constexpr std::string_view kSecondCaptureTime = "20130601120000";

class SpaceStore;
struct Space;
struct Reply;

// Writes WARC 1.1 records to a stream, each record its own gzip member when compressed, as the
// standard recommends. Record IDs are made from the record's address, time and type, so the
// same records give the same file on every run. Times are 14 digits (YYYYMMDDhhmmss).
class WarcWriter {
public:
    WarcWriter(std::ostream& out, bool compressed);

    // A warcinfo record naming the program that wrote the file.
    void Info(std::string_view software, std::string_view time);

    // A response record: the HTTP message as it went out for the address at that time, whose
    // body, unchunked, is the payload. Returns its record ID.
    std::string Response(std::string_view address, std::string_view time,
                         const std::string& httpMessage, std::string_view payload);

    // A revisit record at a later time for an address whose answer had the same payload as
    // an earlier response record: it keeps only the head of the message. Without the original's
    // ID it names the original by its payload digest alone.
    void Revisit(std::string_view address, std::string_view time, const std::string& httpMessage,
                 std::string_view payload, const std::string& originalId,
                 std::string_view originalTime);

    // A resource record: the bytes of the address, with no HTTP message around them.
    void Resource(std::string_view address, std::string_view time, std::string_view contentType,
                  const std::string& bytes);

    // How many records have been written.
    std::size_t Records() const { return records_; }

private:
    std::string Write(std::string_view type, std::string_view address, std::string_view time,
                      std::string fields, std::string_view contentType, const std::string& block);

    std::ostream& out_;
    bool compressed_;
    std::size_t records_ = 0;
};

// The reply as it goes out on the wire: status line, headers and the body (in chunks when its
// delivery is chunked).
std::string HttpMessage(const Reply& reply, const std::string& body);

// The payload digest the WARC standard writes for a body: "sha1:" + its SHA-1 in base 32.
std::string PayloadDigest(std::string_view body);

// Writes as WARC every page and song the archive face holds of the space (its pages as the
// program asks for them: home, blog, listing, article, profile, board, comment search pages,
// playlist, style sheet and songs, including answers of 404 and redirects), captured at the
// archive's capture time; then, at a second time, revisit records of the blog page and the
// profile page. Returns the number of records written.
std::size_t WriteSpaceWarc(const SpaceStore& store, const Space& space, std::ostream& out,
                           bool compressed);

// WriteSpaceWarc into the file, compressed when its name ends in ".gz". Throws
// std::runtime_error when the store has no such space or the file cannot be written.
std::size_t WriteSpaceWarcFile(const SpaceStore& store, const std::string& space,
                               const std::string& path);

}  // namespace spacesim
