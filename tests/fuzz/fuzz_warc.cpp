// Reads the input as a WARC or ARC file (plain or gzip-compressed, first byte even) or as a
// WACZ file (first byte odd), the rest of the input being the file: indexes it and answers
// every address it holds, and stops at once when the index holds more captures than the data
// could hold records, or an answer's body is larger than its data could inflate to: reading
// must end whatever the file holds, and cost no more than its size.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/CurlRequest.h"
#include "platform/Http.h"
#include "platform/WarcArchive.h"
#include "platform/WarcReplay.h"
#include "platform/WarcStream.h"

namespace {

// The most one byte of deflate data inflates to.
constexpr std::uint64_t kInflateRatio = 1032;
// No record is shorter than this ("http://a b c d 0\n" as ARC).
constexpr std::uint64_t kShortestRecord = 8;
// Problems said of one file, and the lines that sum up the rest.
constexpr std::size_t kMostProblems = 64;
// Addresses answered per input.
constexpr std::size_t kMostAnswered = 64;

const std::string& Folder() {
    static const std::string folder = [] {
        char name[] = "/tmp/fuzz_warc.XXXXXX";
        return std::string(mkdtemp(name));
    }();
    return folder;
}

// How many bytes the file holds once inflated, or a bound on it for a WACZ file.
std::uint64_t InflatedSize(const std::string& path, bool wacz, std::size_t size) {
    if (wacz) {
        return kInflateRatio * kInflateRatio * size;
    }
    std::string error;
    const std::unique_ptr<platform::WarcStream> stream = platform::WarcStream::Open(path, error);
    std::uint64_t total = 0;
    while (stream && !stream->AtEnd()) {
        total += stream->Skip(1 << 20);
        if (stream->Peek() == -1 && !stream->AtEnd()) {
            stream->Get();
        }
    }
    return total;
}

void Trap(bool failed) {
    if (failed) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    const bool wacz = (data[0] & 1) != 0;
    const std::string path = Folder() + (wacz ? "/input.wacz" : "/input.warc");
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
    const std::uint64_t inflated = InflatedSize(path, wacz, size);

    platform::WarcArchive archive;
    std::vector<std::string> problems;
    wacz ? archive.AddWacz(path, problems) : archive.AddFile(path, problems);
    archive.Complete(problems);
    Trap(archive.Size() > inflated / kShortestRecord + 1);

    const std::string prefix = "warc:" + path;
    problems = platform::OpenWarcReplay(prefix, "");
    Trap(problems.size() > kMostProblems);
    platform::SetReplayPrefix(prefix);
    platform::AbortSignal abort;
    std::vector<std::string> addresses = platform::WarcAddressesWithPrefix("");
    addresses.push_back("http://a/");
    for (std::size_t i = 0; i < addresses.size() && i < kMostAnswered; ++i) {
        const auto response = platform::AnswerFromWarc(prefix, addresses[i], nullptr, abort);
        Trap(response && response->body.size() > kInflateRatio * inflated);
    }
    platform::TakeUnreadCaptures();
    return 0;
}
