#pragma once

#include "sim/SiteRouter.h"

#include <functional>
#include <string>
#include <vector>

namespace spacesim {

class SpaceStore;
struct RequestTarget;

// Whether the archive holds a capture of the address ("hi.baidu.com/NAME/blog", without the
// scheme).
using CaptureTest = std::function<bool(const std::string& address)>;

// The archive's capture index, answered as the Wayback CDX server answers
// `/cdx/search/cdx?url=U&matchType=prefix&output=json&fl=...&limit=N&showResumeKey=true`:
// a JSON array of a field-name row and one row per capture of a space page or picture whose
// address (without "http://") begins with U (or equals it without matchType=prefix), in address
// order; with a limit and more rows left, an empty row and a row holding the resume key to
// pass back as `resumeKey`. Fields: urlkey, timestamp, original, mimetype, statuscode,
// digest, length. Every capture has status 200, so statuscode filters and collapses change
// nothing. No capture at all gives `[]`, without the field names, as the Wayback server gives.
// Output other than JSON is not offered (400).
Reply CdxReply(const SpaceStore& store, const RequestTarget& target, const CaptureTest& captured);

// A flooding index: one page of at least 64 MiB, whatever the limit asked, its rows the space's
// article pages captured again and again at ever new times (about 700,000 rows), made piece by
// piece as a sender asks for them so that the page costs no memory.
class FloodedCdxPage {
public:
    FloodedCdxPage(const SpaceStore& store, const RequestTarget& target);

    // The next piece of the page into piece; false once the page has ended.
    bool Next(std::string& piece);

private:
    static constexpr std::size_t kBytes = std::size_t{64} << 20;
    static constexpr std::size_t kRowsAPiece = 200;

    std::vector<std::string> fields_;
    std::vector<std::string> articles_;
    std::size_t sent_ = 0;
    std::size_t row_ = 0;
    bool ended_ = false;
};

// A hostile index: a page without captures whose resume key is the one asked with + 1, so
// that it pages on for ever.
Reply EndlessCdxReply(const RequestTarget& target);

}  // namespace spacesim
