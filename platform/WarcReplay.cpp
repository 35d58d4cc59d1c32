#include "platform/WarcReplay.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <memory>
#include <mutex>

#include "platform/ContentDecoder.h"
#include "platform/CurlRequest.h"
#include "platform/WaczFile.h"
#include "platform/WarcArchive.h"
#include "platform/WarcFile.h"
#include "platform/WarcHttp.h"

namespace platform {
namespace {

// As many redirects as a request over the network follows.
constexpr int kMaxRedirects = 10;
// A page kept in memory is never larger than a request over the network may bring.
constexpr std::size_t kMaxBodyBytes = 64u << 20;
// No revisit record's block (a head, no body) comes near this.
constexpr std::uint64_t kLongestRevisitBlock = 256 * 1024;

// The files of one prefix, indexed, and the time to replay nearest to.
struct Replay {
    std::string prefix;
    std::optional<std::int64_t> near;
    WarcArchive archive;
};

std::mutex replayMutex;
std::shared_ptr<const Replay> currentReplay;

// The captures that requests failed on since they were last taken.
std::mutex unreadMutex;
std::vector<std::string> unreadCaptures;

bool IsWarcFileName(const std::filesystem::path& path) {
    const std::string name = path.filename().string();
    for (const char* end : {".warc", ".warc.gz", ".arc", ".arc.gz", ".wacz"}) {
        if (name.ends_with(end)) {
            return true;
        }
    }
    return false;
}

// The files the prefix names, a folder standing for its WARC files in name order.
std::vector<std::string> FilesOf(std::string_view prefix, std::vector<std::string>& problems) {
    std::vector<std::string> files;
    std::string_view rest = prefix.substr(kWarcPrefix.size());
    while (!rest.empty()) {
        const std::size_t comma = std::min(rest.find(','), rest.size());
        const std::string name(rest.substr(0, comma));
        rest.remove_prefix(std::min(comma + 1, rest.size()));
        std::error_code error;
        if (name.empty() || !std::filesystem::is_directory(name, error)) {
            if (!name.empty()) {
                files.push_back(name);
            }
            continue;
        }
        std::vector<std::string> inFolder;
        for (const auto& entry : std::filesystem::directory_iterator(name, error)) {
            if (IsWarcFileName(entry.path()) && !entry.is_directory(error)) {
                inFolder.push_back(entry.path().string());
            }
        }
        if (inFolder.empty()) {
            problems.push_back(name + ": holds no .warc, .warc.gz, .arc, .arc.gz or .wacz file");
        }
        std::sort(inFolder.begin(), inFolder.end());
        files.insert(files.end(), inFolder.begin(), inFolder.end());
    }
    if (files.empty() && problems.empty()) {
        problems.push_back("warc: names no file");
    }
    return files;
}

// Nothing when the progress stopped the indexing.
std::shared_ptr<const Replay> Load(const std::string& prefix, const std::string& time,
                                   std::vector<std::string>& problems,
                                   const WarcIndexProgress& progress = {}) {
    auto replay = std::make_shared<Replay>();
    replay->prefix = prefix;
    replay->near = time.empty() ? std::nullopt : WarcSeconds(time);
    const std::vector<std::string> files = FilesOf(prefix, problems);
    bool stopped = false;
    for (std::size_t i = 0; i < files.size() && !stopped; ++i) {
        const std::string& file = files[i];
        WarcScanProgress told;
        if (progress) {
            told = [&](std::uint64_t done, std::uint64_t size) {
                stopped = stopped || !progress({file, i, files.size(), done, size});
                return !stopped;
            };
            stopped = !told(0, 0);
        }
        if (IsWaczName(file)) {
            replay->archive.AddWacz(file, problems, told);
        } else {
            replay->archive.AddFile(file, problems, told);
        }
    }
    if (stopped) {
        return nullptr;
    }
    replay->archive.Complete(problems);
    return replay;
}

void NoteUnread(std::vector<std::string> notes) {
    std::lock_guard lock(unreadMutex);
    unreadCaptures.insert(unreadCaptures.end(), std::make_move_iterator(notes.begin()),
                          std::make_move_iterator(notes.end()));
}

// The replay of the prefix, indexed now when it was not before.
std::shared_ptr<const Replay> ReplayOf(const std::string& prefix) {
    std::lock_guard lock(replayMutex);
    if (!currentReplay || currentReplay->prefix != prefix) {
        std::vector<std::string> ignored;
        currentReplay = Load(prefix, {}, ignored);
    }
    return currentReplay;
}

// Where a redirect's Location leads from the address it was captured for.
std::string Resolved(const std::string& base, const std::string& location) {
    if (location.find("://") != std::string::npos) {
        return location;
    }
    const std::size_t schemeEnd = base.find("://");
    if (schemeEnd == std::string::npos) {
        return location;
    }
    const std::size_t hostStart = schemeEnd + 3;
    if (location.starts_with("//")) {
        return base.substr(0, hostStart - 2) + location;
    }
    const std::size_t pathStart = std::min(base.find_first_of("/?", hostStart), base.size());
    if (location.starts_with('/')) {
        return base.substr(0, pathStart) + location;
    }
    const std::string path = base.substr(0, std::min(base.find('?', pathStart), base.size()));
    const std::size_t lastSlash = path.rfind('/');
    const std::size_t directoryEnd =
        lastSlash == std::string::npos || lastSlash < pathStart ? pathStart : lastSlash + 1;
    return path.substr(0, directoryEnd) + (directoryEnd == pathStart ? "/" : "") + location;
}

// Reads one capture into a response; the body of a success goes to the receiver, when given.
class CaptureReader {
public:
    CaptureReader(const WarcArchive& archive, BodyReceiver* receiver, AbortSignal& abort)
        : archive_(archive), receiver_(receiver), abort_(abort) {}

    // True once a receiver has been given a piece: the answer can no longer be read again.
    bool Began() const { return began_; }

    std::optional<HttpResponse> Read(const WarcCapture& capture, const std::string& address) {
        std::optional<StoredHead> shown;
        const WarcCapture* payload = &capture;
        if (capture.kind == WarcCapture::Kind::Revisit) {
            payload = archive_.Original(capture);
            shown = RevisitHead(capture);
            if (payload == nullptr) {
                return std::nullopt;  // said when the files were indexed
            }
        }
        std::string wrong;
        std::optional<HttpResponse> response = payload->kind == WarcCapture::Kind::Resource
                                                   ? ReadResource(*payload, wrong)
                                                   : ReadMessage(*payload, shown, wrong);
        if (!response && !wrong.empty() && !abort_.Raised()) {
            notes_.push_back(archive_.FilePath(payload->file) + ", offset " +
                             std::to_string(payload->spot.place.member) + ": the capture of " +
                             address + " cannot be read (" + wrong + ")");
        }
        return response;
    }

    // Where the answer read last redirects to, "" when it does not.
    const std::string& Location() const { return location_; }

    // What could not be read of each capture tried, naming its file and offset.
    std::vector<std::string> TakeNotes() { return std::exchange(notes_, {}); }

private:
    std::optional<HttpResponse> ReadResource(const WarcCapture& payload, std::string& wrong) {
        WarcFile& file = archive_.File(payload.file);
        const std::optional<WarcRecordHead> record = file.ReadHead(payload.spot);
        if (!record) {
            wrong = "its record cannot be read again: has the file changed?";
            return std::nullopt;
        }
        HttpResponse response;
        StoredHead head;
        head.status = 200;
        head.contentType = record->contentType;
        head.contentLength = std::to_string(payload.spot.blockLength);
        const StoredBodySink sink = OnHead(response, head);
        if (!file.ReadBlock(payload.spot, sink) || !DecodedWhole(wrong)) {
            wrong = wrong.empty() && !tooLarge_ ? "its block is cut short" : wrong;
            return std::nullopt;
        }
        return response;
    }

    std::optional<HttpResponse> ReadMessage(const WarcCapture& payload,
                                            const std::optional<StoredHead>& shown,
                                            std::string& wrong) {
        HttpResponse response;
        StoredResponseReader reader([&](const StoredHead& stored) {
            // A revisit's own head tells the answer; the record with the payload, how the
            // payload is coded.
            StoredHead head = shown ? *shown : stored;
            head.contentEncoding = stored.contentEncoding;
            return OnHead(response, head);
        });
        const bool read = archive_.File(payload.file)
                              .ReadBlock(payload.spot, [&](const char* data, std::size_t n) {
                                  return reader.Feed(data, n);
                              });
        const bool whole = read && reader.Finish();
        if (whole && DecodedWhole(wrong) && !abort_.Raised()) {
            return response;
        }
        if (tooLarge_) {
            wrong = "its body is larger than 64 MB";
        } else if (wrong.empty()) {
            wrong = reader.Problem();
        }
        if (wrong.empty() && decoder_) {
            wrong = decoder_->Problem();
        }
        if (wrong.empty() && !read && reader.Complete()) {
            wrong = "its block is cut short";
        }
        return std::nullopt;
    }

    // Takes the head of the answer; returns where its body goes: decoded from its
    // Content-Encoding when it is a page.
    StoredBodySink OnHead(HttpResponse& response, const StoredHead& head) {
        response.status = head.status;
        response.contentType = head.contentType;
        response.contentLength = head.contentLength;
        location_ = head.status >= 300 && head.status < 400 ? head.location : std::string();
        decoder_ =
            IsTextContent(head.contentType) ? ContentDecoder::For(head.contentEncoding) : nullptr;
        if (!decoder_) {
            return SinkFor(response, head);
        }
        StoredHead decoded = head;
        decoded.contentLength.clear();
        response.contentLength.clear();
        return [this, sink = SinkFor(response, decoded)](const char* data, std::size_t n) {
            return decoder_->Feed(data, n, sink);
        };
    }

    // Whether the body came whole out of its decoder, when it had one.
    bool DecodedWhole(std::string& wrong) {
        if (!decoder_ || decoder_->Ended()) {
            return true;
        }
        wrong = decoder_->Problem();
        return false;
    }

    // The head a revisit record kept of its own answer; none when it kept none, or only the
    // server's "not modified", which stands for the original's head.
    std::optional<StoredHead> RevisitHead(const WarcCapture& revisit) const {
        if (revisit.spot.blockLength == 0 || revisit.spot.blockLength > kLongestRevisitBlock) {
            return std::nullopt;
        }
        std::string block;
        archive_.File(revisit.file).ReadBlock(revisit.spot, [&](const char* data, std::size_t n) {
            block.append(data, n);
            return true;
        });
        std::optional<StoredHead> head = StoredResponseReader::HeadOnly(block);
        return head && head->status != 304 ? head : std::nullopt;
    }

    StoredBodySink SinkFor(HttpResponse& response, const StoredHead& head) {
        tooLarge_ = false;
        if (receiver_ != nullptr && head.status >= 200 && head.status < 300) {
            return [this, length = head.contentLength](const char* data, std::size_t n) {
                if (abort_.Raised()) {
                    return false;
                }
                if (!began_) {
                    began_ = true;
                    const bool known = !length.empty() && length.size() < 19 &&
                                       length.find_first_not_of("0123456789") == std::string::npos;
                    if (!receiver_->Begin(known ? std::stoll(length) : -1)) {
                        return false;
                    }
                }
                return receiver_->Receive(data, n);
            };
        }
        return [this, &body = response.body](const char* data, std::size_t n) {
            if (body.size() + n > kMaxBodyBytes) {
                tooLarge_ = true;
                return false;
            }
            body.append(data, n);
            return true;
        };
    }

    const WarcArchive& archive_;
    BodyReceiver* receiver_;
    AbortSignal& abort_;
    bool began_ = false;
    bool tooLarge_ = false;
    std::unique_ptr<ContentDecoder> decoder_;
    std::string location_;
    std::vector<std::string> notes_;
};

}  // namespace

bool IsWarcPrefix(std::string_view prefix) {
    return prefix.starts_with(kWarcPrefix);
}

bool IsWarcTime(std::string_view time) {
    return (time.size() == 8 || time.size() == 14) &&
           time.find_first_not_of("0123456789") == std::string_view::npos &&
           WarcSeconds(time).has_value();
}

std::vector<std::string> OpenWarcReplay(const std::string& prefix, const std::string& time) {
    return *OpenWarcReplay(prefix, time, {});
}

std::optional<std::vector<std::string>> OpenWarcReplay(const std::string& prefix,
                                                       const std::string& time,
                                                       const WarcIndexProgress& progress) {
    std::vector<std::string> problems;
    std::shared_ptr<const Replay> replay = Load(prefix, time, problems, progress);
    if (!replay) {
        return std::nullopt;
    }
    std::lock_guard lock(replayMutex);
    currentReplay = std::move(replay);
    return problems;
}

std::vector<std::string> TakeUnreadCaptures() {
    std::lock_guard lock(unreadMutex);
    return std::exchange(unreadCaptures, {});
}

std::optional<HttpResponse> AnswerFromWarc(const std::string& prefix, const std::string& address,
                                           BodyReceiver* receiver, AbortSignal& abort) {
    const std::shared_ptr<const Replay> replay = ReplayOf(prefix);
    std::string target = address;
    for (int redirects = 0; redirects <= kMaxRedirects; ++redirects) {
        CaptureReader reader(replay->archive, receiver, abort);
        std::optional<HttpResponse> response;
        // A capture that cannot be read gives way to the next best one.
        for (const WarcCapture* capture : replay->archive.CapturesOf(target, replay->near)) {
            response = reader.Read(*capture, target);
            if (response || reader.Began() || abort.Raised()) {
                break;
            }
        }
        if (!response) {
            NoteUnread(reader.TakeNotes());
            return std::nullopt;
        }
        if (reader.Location().empty()) {
            return response;
        }
        target = Resolved(target, reader.Location());
    }
    return std::nullopt;
}

std::vector<std::string> WarcAddressesWithPrefix(const std::string& addressPrefix) {
    const std::string& prefix = ReplayPrefix();
    if (!IsWarcPrefix(prefix)) {
        return {};
    }
    const std::shared_ptr<const Replay> replay = ReplayOf(prefix);
    return replay->archive.AddressesWithPrefix(addressPrefix, replay->near);
}

std::vector<std::pair<std::string, std::string>> WarcCapturesWithPrefix(
    const std::string& addressPrefix) {
    const std::string& prefix = ReplayPrefix();
    if (!IsWarcPrefix(prefix)) {
        return {};
    }
    const std::shared_ptr<const Replay> replay = ReplayOf(prefix);
    std::vector<std::pair<std::string, std::string>> captures;
    for (WarcArchive::CapturedAddress& captured :
         replay->archive.CapturesWithPrefix(addressPrefix, replay->near)) {
        const std::time_t seconds = captured.seconds;
        std::tm utc{};
        gmtime_r(&seconds, &utc);
        char time[16];
        std::strftime(time, sizeof time, "%Y%m%d%H%M%S", &utc);
        captures.emplace_back(std::move(captured.address), time);
    }
    return captures;
}

}  // namespace platform
