#include "platform/WarcRecords.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>

namespace platform {
namespace {

// No writer makes a record header this long; past it the header is taken for garbage.
constexpr std::size_t kLongestHead = 256 * 1024;
// Beyond this many problems in one file the rest are summed up in one line.
constexpr std::size_t kProblemsPerFile = 20;
constexpr std::string_view kVersionStart = "WARC/";
constexpr std::size_t kPieceBytes = 64 * 1024;
constexpr const char* kNoRecord = "no WARC record begins here";
// An ARC file begins with its own description, a record of this address.
constexpr std::string_view kArcStart = "filedesc://";
// A line that begins an ARC record of a web page begins so.
constexpr std::string_view kArcRecordStart = "http";
// No ARC record line is this long.
constexpr std::size_t kLongestArcLine = 64 * 1024;
// Progress is told after every this many bytes of the file.
constexpr std::uint64_t kProgressBytes = 1 << 20;

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(first, text.find_last_not_of(" \t") + 1 - first));
}

std::optional<std::uint64_t> Decimal(std::string_view text) {
    if (text.empty() || text.size() > 18 ||
        text.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    return std::stoull(std::string(text));
}

// A record header: its fields, its length in bytes and the length of its block.
struct Head {
    WarcRecordHead fields;
    std::uint64_t length = 0;
    std::uint64_t blockLength = 0;
    std::string blockStart;
};

void Keep(WarcRecordHead& head, std::string_view name, std::string value) {
    std::pair<std::string_view, std::string*> known[] = {
        {"WARC-Type", &head.type},
        {"WARC-Target-URI", &head.targetUri},
        {"WARC-Date", &head.date},
        {"WARC-Record-ID", &head.recordId},
        {"WARC-Refers-To", &head.refersTo},
        {"WARC-Refers-To-Target-URI", &head.refersToTargetUri},
        {"WARC-Refers-To-Date", &head.refersToDate},
        {"WARC-Payload-Digest", &head.payloadDigest},
        {"Content-Type", &head.contentType},
    };
    for (auto& [field, target] : known) {
        if (SameName(name, field)) {
            *target = std::move(value);
            return;
        }
    }
}

// Reads one record header, of which `begun` has been read already; says what is wrong with it.
std::optional<Head> ReadHead(WarcStream& stream, std::string begun, std::string& wrong) {
    Head head;
    head.length = begun.size();
    std::string line = std::move(begun);
    std::string name;
    std::string value;
    bool first = true;
    std::optional<std::uint64_t> blockLength;
    for (int c = 0; (c = stream.Get()) != -1;) {
        if (++head.length > kLongestHead) {
            wrong = "a corrupt record header (longer than any record's)";
            return std::nullopt;
        }
        if (c != '\n') {
            line += static_cast<char>(c);
            continue;
        }
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const bool continued = !line.empty() && (line[0] == ' ' || line[0] == '\t');
        if (!name.empty() && !continued) {
            if (SameName(name, "Content-Length")) {
                blockLength = Decimal(value);
            }
            Keep(head.fields, name, std::move(value));
            name.clear();
        }
        if (first) {
            if (!line.starts_with(kVersionStart)) {
                wrong = kNoRecord;
                return std::nullopt;
            }
            first = false;
        } else if (line.empty()) {
            if (!blockLength) {
                wrong = "a corrupt record header (no valid Content-Length)";
                return std::nullopt;
            }
            head.blockLength = *blockLength;
            return head;
        } else if (continued) {
            value += ' ';
            value += Trimmed(line);
        } else {
            const std::size_t colon = line.find(':');
            if (colon == std::string::npos || colon == 0) {
                wrong = "a corrupt record header (a line that is no field)";
                return std::nullopt;
            }
            name = line.substr(0, colon);
            value = Trimmed(std::string_view(line).substr(colon + 1));
        }
        line.clear();
    }
    wrong = first && head.length == 0 ? "" : "the record header is cut short";
    return std::nullopt;
}

// Reads the line that heads an ARC record, of which `begun` has been read already: "URL IP
// DATE TYPE LENGTH" (version 1) or with five more fields before the length (version 2). A
// blank in the address is kept in it.
std::optional<Head> ReadArcHead(WarcStream& stream, WarcFormat format, std::string begun,
                                std::string& wrong) {
    Head head;
    std::string line = std::move(begun);
    head.length = line.size();
    for (int c = 0; (c = stream.Get()) != '\n';) {
        if (c == -1) {
            wrong = line.empty() ? "" : "the record header is cut short";
            return std::nullopt;
        }
        line += static_cast<char>(c);
        if (++head.length > kLongestArcLine) {
            wrong = "a corrupt record header (longer than any record's)";
            return std::nullopt;
        }
    }
    ++head.length;
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    std::vector<std::string_view> fields;
    for (std::string_view rest = line; !rest.empty();) {
        const std::size_t blank = std::min(rest.find(' '), rest.size());
        fields.push_back(rest.substr(0, blank));
        rest.remove_prefix(std::min(blank + 1, rest.size()));
    }
    const std::size_t after = format == WarcFormat::Arc2 && fields.size() >= 10 ? 9 : 4;
    const std::optional<std::uint64_t> length =
        fields.size() > after ? Decimal(fields.back()) : std::nullopt;
    if (!length) {
        wrong = "a corrupt ARC record header (no valid length)";
        return std::nullopt;
    }
    const std::size_t urlEnd = fields.size() - after;
    std::string& url = head.fields.targetUri;
    for (std::size_t i = 0; i < urlEnd; ++i) {
        url += (i == 0 ? "" : " ") + std::string(fields[i]);
    }
    head.fields.date = std::string(fields[urlEnd + 1]);
    head.fields.contentType = std::string(fields[urlEnd + 2]);
    head.fields.type = url.starts_with(kArcStart) ? "warcinfo" : "response";
    head.blockLength = *length;
    return head;
}

std::optional<Head> ReadAnyHead(WarcStream& stream, WarcFormat format, std::string begun,
                                std::string& wrong) {
    return format == WarcFormat::Warc ? ReadHead(stream, std::move(begun), wrong)
                                      : ReadArcHead(stream, format, std::move(begun), wrong);
}

// A block that holds no HTTP response is the bytes of its address.
void SetArcType(Head& head) {
    if (head.fields.type == "response" && !head.blockStart.starts_with("HTTP/")) {
        head.fields.type = "resource";
    }
}

// Reads one WARC or ARC file, noting what it skips.
class Scanner {
public:
    Scanner(const std::string& name, WarcStream& stream, std::vector<std::string>& problems)
        : name_(name), stream_(stream), problems_(problems) {}

    void Run(const WarcRecordVisitor& visit, const WarcScanProgress& progress) {
        format_ = DetectWarcFormat(stream_);
        bool first = true;
        std::string begun;
        for (std::uint64_t told = 0;;) {
            while (begun.empty() && (stream_.Peek() == '\r' || stream_.Peek() == '\n')) {
                stream_.Get();
            }
            if (begun.empty() && stream_.Peek() == -1) {
                if (stream_.AtEnd()) {
                    break;
                }
                continue;
            }
            if (progress && stream_.FileOffset() >= told + kProgressBytes) {
                told = stream_.FileOffset();
                if (!progress(told, stream_.FileSize())) {
                    return;
                }
            }
            const WarcPlace place = begun.empty() ? stream_.Tell() : resyncPlace_;
            const int breaks = stream_.Breaks();
            std::string wrong;
            std::optional<Head> head =
                ReadAnyHead(stream_, format_, std::exchange(begun, {}), wrong);
            if (first && !head && wrong == kNoRecord && stream_.Breaks() == breaks) {
                Note(name_ + ": not a WARC file (" + Where(place) + wrong + ")");
                break;
            }
            first = false;
            if (head) {
                wrong = ReadBlock(*head);
            }
            if (stream_.Breaks() != breaks) {
                Note({});  // the stream says what it lost
            } else if (!wrong.empty()) {
                Note(name_ + ", " + Where(place) + wrong);
                // A wrong length may have run into the records after it: look for the next
                // record from just after this one's start.
                stream_.Seek(place);
                stream_.Get();
                begun = Resync();
            } else if (head) {
                ++records_;
                visit(std::move(head->fields),
                      {place, head->blockLength, static_cast<std::uint32_t>(head->length)},
                      head->blockStart);
            }
        }
        if (progress) {
            progress(stream_.FileSize(), stream_.FileSize());
        }
        Note({});
        if (records_ == 0 && noted_ == 0) {
            Add(name_ + ": holds no WARC record");
        }
        if (noted_ > kProblemsPerFile) {
            problems_.push_back(name_ + ": " + std::to_string(noted_ - kProblemsPerFile) +
                                " more problems");
        }
    }

private:
    // Passes over the block and the record's end; says what is wrong, if anything.
    // A break stops it at once: what follows a break belongs to the next gzip member.
    std::string ReadBlock(Head& head) {
        const int breaks = stream_.Breaks();
        head.blockStart.resize(std::min<std::uint64_t>(kWarcBlockStart, head.blockLength));
        head.blockStart.resize(stream_.Read(head.blockStart.data(), head.blockStart.size()));
        if (format_ != WarcFormat::Warc) {
            SetArcType(head);
        }
        std::uint64_t passed = head.blockStart.size();
        if (stream_.Breaks() == breaks) {
            passed += stream_.Skip(head.blockLength - passed);
        }
        if (stream_.Breaks() != breaks) {
            return {};
        }
        if (passed < head.blockLength) {
            return "the record runs past the end of the file (a block of " +
                   std::to_string(head.blockLength) + " bytes, " + std::to_string(passed) +
                   " there)";
        }
        if (format_ != WarcFormat::Warc || RecordEnds()) {
            return {};
        }
        return "the record lacks its end after a block of " + std::to_string(head.blockLength) +
               " bytes (a wrong Content-Length?)";
    }

    // Whether the block is followed by the end of a record: two CRLF, or one (as some writers
    // end their records) before the next record or the end of the file.
    bool RecordEnds() {
        char end[2] = {};
        if (stream_.Read(end, sizeof end) != sizeof end || std::string_view(end, 2) != "\r\n") {
            return false;
        }
        const int next = stream_.Peek();
        if (next == '\r') {
            stream_.Get();
            return stream_.Get() == '\n';
        }
        return next == -1 || next == kVersionStart[0];
    }

    // Reads on to the next line that begins a record and returns what it read of that line.
    std::string Resync() {
        const std::string_view start =
            format_ == WarcFormat::Warc ? kVersionStart : kArcRecordStart;
        bool lineStart = false;
        int breaks = stream_.Breaks();
        for (;;) {
            if (stream_.Breaks() != breaks) {
                breaks = stream_.Breaks();
                lineStart = true;
            }
            const WarcPlace place = stream_.Tell();
            const int c = stream_.Get();
            if (c == -1) {
                if (stream_.AtEnd()) {
                    return {};
                }
                continue;
            }
            if (lineStart && c == start[0]) {
                std::string begun(1, static_cast<char>(c));
                while (begun.size() < start.size() && stream_.Peek() == start[begun.size()]) {
                    begun += static_cast<char>(stream_.Get());
                }
                if (begun == start) {
                    resyncPlace_ = place;
                    return begun;
                }
            }
            lineStart = c == '\n';
        }
    }

    std::string Where(const WarcPlace& place) const {
        std::string where = "offset " + std::to_string(place.member);
        if (place.within > 0) {
            where += " (" + std::to_string(place.within) + " bytes into its gzip member)";
        }
        return where + ": ";
    }

    // Adds the stream's problems and then this one (when not empty).
    void Note(const std::string& problem) {
        std::vector<std::string> found = stream_.TakeProblems();
        for (std::string& text : found) {
            Add(name_ + ", " + text);
        }
        if (!problem.empty()) {
            Add(problem);
        }
    }

    void Add(std::string problem) {
        if (++noted_ <= kProblemsPerFile) {
            problems_.push_back(std::move(problem));
        }
    }

    const std::string& name_;
    WarcStream& stream_;
    std::vector<std::string>& problems_;
    WarcFormat format_ = WarcFormat::Warc;
    WarcPlace resyncPlace_;
    std::size_t noted_ = 0;
    std::size_t records_ = 0;
};

}  // namespace

WarcFormat DetectWarcFormat(WarcStream& stream) {
    std::string start(kArcStart.size(), '\0');
    start.resize(stream.Read(start.data(), start.size()));
    WarcFormat format = WarcFormat::Warc;
    if (start == kArcStart) {
        // The description's block begins with the version: "1 0 ..." or "2 0 ...".
        std::string wrong;
        const std::optional<Head> head = ReadArcHead(stream, WarcFormat::Arc1, start, wrong);
        format = head && stream.Peek() == '2' ? WarcFormat::Arc2 : WarcFormat::Arc1;
    }
    stream.Seek({0, 0});
    return format;
}

void ScanWarcStream(const std::string& name, WarcStream& stream, const WarcRecordVisitor& visit,
                    std::vector<std::string>& problems, const WarcScanProgress& progress) {
    Scanner(name, stream, problems).Run(visit, progress);
}

void ScanWarcFile(const std::string& path, const WarcRecordVisitor& visit,
                  std::vector<std::string>& problems) {
    std::string error;
    const std::unique_ptr<WarcStream> stream = WarcStream::Open(path, error);
    if (!stream) {
        problems.push_back(path + ": cannot be read (" + error + ")");
        return;
    }
    ScanWarcStream(path, *stream, visit, problems);
}

std::optional<WarcRecordHead> ReadRecordAt(WarcStream& stream, WarcFormat format, WarcPlace place,
                                           WarcRecordSpot& spot, std::string& blockStart,
                                           std::string& wrong) {
    if (!stream.Seek(place)) {
        wrong = "the place lies beyond the file's data";
        return std::nullopt;
    }
    while (stream.Peek() == '\r' || stream.Peek() == '\n') {
        stream.Get();
    }
    place = stream.Tell();
    std::optional<Head> head = ReadAnyHead(stream, format, {}, wrong);
    if (!head) {
        wrong = wrong.empty() ? kNoRecord : wrong;
        return std::nullopt;
    }
    head->blockStart.resize(std::min<std::uint64_t>(kWarcBlockStart, head->blockLength));
    head->blockStart.resize(stream.Read(head->blockStart.data(), head->blockStart.size()));
    if (format != WarcFormat::Warc) {
        SetArcType(*head);
    }
    spot = {place, head->blockLength, static_cast<std::uint32_t>(head->length)};
    blockStart = std::move(head->blockStart);
    return std::move(head->fields);
}

std::optional<WarcRecordHead> ReadRecordHead(WarcStream& stream, WarcFormat format,
                                             const WarcRecordSpot& spot) {
    std::string wrong;
    std::optional<Head> head;
    if (stream.Seek(spot.place)) {
        head = ReadAnyHead(stream, format, {}, wrong);
    }
    return head && head->length == spot.headLength ? std::optional(std::move(head->fields))
                                                   : std::nullopt;
}

bool ReadRecordBlock(WarcStream& stream, const WarcRecordSpot& spot,
                     const std::function<bool(const char*, std::size_t)>& sink) {
    const int breaks = stream.Breaks();
    if (!stream.Seek(spot.place) || stream.Skip(spot.headLength) != spot.headLength) {
        return false;
    }
    std::vector<char> piece(kPieceBytes);
    for (std::uint64_t left = spot.blockLength; left > 0;) {
        const std::size_t wanted =
            static_cast<std::size_t>(std::min<std::uint64_t>(left, kPieceBytes));
        const std::size_t read = stream.Read(piece.data(), wanted);
        if (read == 0 || stream.Breaks() != breaks || !sink(piece.data(), read)) {
            return false;
        }
        left -= read;
    }
    return true;
}

std::optional<WarcRecordHead> ReadWarcRecordHead(const std::string& path,
                                                 const WarcRecordSpot& spot) {
    std::string error;
    const std::unique_ptr<WarcStream> stream = WarcStream::Open(path, error);
    return stream ? ReadRecordHead(*stream, DetectWarcFormat(*stream), spot) : std::nullopt;
}

bool ReadWarcBlock(const std::string& path, const WarcRecordSpot& spot,
                   const std::function<bool(const char*, std::size_t)>& sink) {
    std::string error;
    const std::unique_ptr<WarcStream> stream = WarcStream::Open(path, error);
    return stream && ReadRecordBlock(*stream, spot, sink);
}

}  // namespace platform
