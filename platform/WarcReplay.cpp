#include "platform/WarcReplay.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <mutex>

#include "platform/CurlRequest.h"
#include "platform/WarcArchive.h"
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

bool IsWarcFileName(const std::filesystem::path& path) {
    const std::string name = path.filename().string();
    return name.ends_with(".warc") || name.ends_with(".warc.gz");
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
            problems.push_back(name + ": holds no .warc or .warc.gz file");
        }
        std::sort(inFolder.begin(), inFolder.end());
        files.insert(files.end(), inFolder.begin(), inFolder.end());
    }
    if (files.empty() && problems.empty()) {
        problems.push_back("warc: names no file");
    }
    return files;
}

std::shared_ptr<const Replay> Load(const std::string& prefix, const std::string& time,
                                   std::vector<std::string>& problems) {
    auto replay = std::make_shared<Replay>();
    replay->prefix = prefix;
    replay->near = time.empty() ? std::nullopt : WarcSeconds(time);
    for (const std::string& file : FilesOf(prefix, problems)) {
        replay->archive.AddFile(file, problems);
    }
    replay->archive.Complete(problems);
    return replay;
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

    std::optional<HttpResponse> Read(const WarcCapture& capture) {
        std::optional<StoredHead> shown;
        const WarcCapture* payload = &capture;
        if (capture.kind == WarcCapture::Kind::Revisit) {
            payload = archive_.Original(capture);
            shown = RevisitHead(capture);
            if (payload == nullptr) {
                return std::nullopt;
            }
        }
        HttpResponse response;
        const auto onHead = [&](const StoredHead& stored) -> StoredBodySink {
            const StoredHead& head = shown ? *shown : stored;
            response.status = head.status;
            response.contentType = head.contentType;
            response.contentLength = head.contentLength;
            location_ = head.status >= 300 && head.status < 400 ? head.location : std::string();
            return SinkFor(response, head);
        };
        const std::string& path = archive_.FilePath(payload->file);
        if (payload->kind == WarcCapture::Kind::Resource) {
            const std::optional<WarcRecordHead> record = ReadWarcRecordHead(path, payload->spot);
            if (!record) {
                return std::nullopt;
            }
            StoredHead head;
            head.status = 200;
            head.contentType = record->contentType;
            head.contentLength = std::to_string(payload->spot.blockLength);
            const StoredBodySink sink = onHead(head);
            return ReadWarcBlock(path, payload->spot, sink) ? std::optional(response)
                                                            : std::nullopt;
        }
        StoredResponseReader reader(onHead);
        const bool read = ReadWarcBlock(path, payload->spot, [&](const char* data, std::size_t n) {
            return reader.Feed(data, n);
        });
        if (!read || !reader.Complete() || abort_.Raised()) {
            return std::nullopt;
        }
        return response;
    }

    // Where the answer read last redirects to, "" when it does not.
    const std::string& Location() const { return location_; }

private:
    // The head a revisit record kept of its own answer; none when it kept none, or only the
    // server's "not modified", which stands for the original's head.
    std::optional<StoredHead> RevisitHead(const WarcCapture& revisit) const {
        if (revisit.spot.blockLength == 0 || revisit.spot.blockLength > kLongestRevisitBlock) {
            return std::nullopt;
        }
        std::string block;
        ReadWarcBlock(archive_.FilePath(revisit.file), revisit.spot,
                      [&](const char* data, std::size_t n) {
                          block.append(data, n);
                          return true;
                      });
        std::optional<StoredHead> head = StoredResponseReader::HeadOnly(block);
        return head && head->status != 304 ? head : std::nullopt;
    }

    StoredBodySink SinkFor(HttpResponse& response, const StoredHead& head) {
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
        return [&body = response.body](const char* data, std::size_t n) {
            if (body.size() + n > kMaxBodyBytes) {
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
    std::string location_;
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
    std::vector<std::string> problems;
    std::shared_ptr<const Replay> replay = Load(prefix, time, problems);
    std::lock_guard lock(replayMutex);
    currentReplay = std::move(replay);
    return problems;
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
            response = reader.Read(*capture);
            if (response || reader.Began() || abort.Raised()) {
                break;
            }
        }
        if (!response) {
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

}  // namespace platform
