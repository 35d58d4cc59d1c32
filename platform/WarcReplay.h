#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Http.h"

namespace platform {

class AbortSignal;

// The start of a replay prefix that names WARC files instead of a replay service.
inline constexpr std::string_view kWarcPrefix = "warc:";

// Whether the replay prefix names WARC files ("warc:PATH").
bool IsWarcPrefix(std::string_view prefix);

// Whether the text is a capture time to replay nearest to: YYYYMMDD or YYYYMMDDhhmmss.
bool IsWarcTime(std::string_view time);

// Indexes the WARC files that a "warc:" prefix names (a .warc, .warc.gz, .arc, .arc.gz or .wacz
// file, several separated by commas, or a folder of them) for the answers to come, which take
// the capture nearest the time (IsWarcTime), or the latest when the time is empty. Returns
// what it could not read, each naming its file and offset; what it could read is used all the
// same.
std::vector<std::string> OpenWarcReplay(const std::string& prefix, const std::string& time);

// How far the indexing has come: the file being read (the count-th of files, from 0) and how
// many of its bytes, of its size (0 while unknown).
struct WarcIndexStep {
    const std::string& file;
    std::size_t count;
    std::size_t files;
    std::uint64_t done;
    std::uint64_t size;
};
// Told the step now and then (on the indexing's thread); returns false to stop the indexing.
using WarcIndexProgress = std::function<bool(const WarcIndexStep&)>;

// OpenWarcReplay telling its progress; nothing, and the replay set before kept, when the
// progress stopped it.
std::optional<std::vector<std::string>> OpenWarcReplay(const std::string& prefix,
                                                       const std::string& time,
                                                       const WarcIndexProgress& progress);

// The captures that requests failed on since the last call, because they could not be read
// (an HTTP head over 256 KB, malformed chunks, a body cut short, compressed content that does
// not inflate), each naming its file, offset and address; oldest first.
std::vector<std::string> TakeUnreadCaptures();

// Answers a GET of the address from the WARC files of the prefix (indexed at the first answer
// unless OpenWarcReplay did it): the stored status, headers and body of its capture, a
// revisit's from the record it stands for, redirects followed within the files. With a
// receiver, the body of a successful answer goes to it rather than into the response. Returns
// nothing when the files hold no capture of the address or of where it leads, when its record
// cannot be read whole, or when the abort is raised.
std::optional<HttpResponse> AnswerFromWarc(const std::string& prefix, const std::string& address,
                                           BodyReceiver* receiver, AbortSignal& abort);

// The addresses that begin with the prefix (e.g. "hi.baidu.com/NAME/blog/item/", compared
// as replay services compare addresses) and were captured with status 200 in the WARC files
// of the replay prefix now set, one per address, in address order: the files' own index of
// what they hold. Empty when the replay prefix names no WARC files.
std::vector<std::string> WarcAddressesWithPrefix(const std::string& addressPrefix);

// The same addresses, each with the time of the capture that answers it, written as a capture
// index writes it (YYYYMMDDhhmmss, UTC).
std::vector<std::pair<std::string, std::string>> WarcCapturesWithPrefix(
    const std::string& addressPrefix);

}  // namespace platform
