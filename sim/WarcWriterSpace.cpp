// The pages of one space as WARC records: what `spacesim --write-warc` writes.
#include "sim/BoardPages.h"
#include "sim/Cp936.h"
#include "sim/LaterLayoutPages.h"
#include "sim/MusicPages.h"
#include "sim/RequestTarget.h"
#include "sim/SiteRouter.h"
#include "sim/SpaceServer.h"
#include "sim/SpaceStore.h"
#include "sim/WarcWriter.h"

#include <fstream>
#include <map>
#include <stdexcept>
#include <vector>

namespace spacesim {

namespace {

int PagesFor(std::size_t entries, int perPage) {
    return std::max(1, static_cast<int>((entries + perPage - 1) / perPage));
}

// The address as the program sends it: code page 936 bytes, those outside printable ASCII
// percent-encoded.
std::string OnTheWire(const std::string& utf8) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string wire;
    for (const unsigned char byte : ToCp936(utf8)) {
        if (byte > 0x20 && byte < 0x7F) {
            wire += static_cast<char>(byte);
        } else {
            wire += '%';
            wire += kHex[byte >> 4];
            wire += kHex[byte & 0x0F];
        }
    }
    return wire;
}

// Every address the program asks for of the space, in the order a backup asks for them, with
// one comment search page past the last, and the space's pictures.
std::vector<std::string> SpaceAddresses(const SpaceStore& store, const Space& space) {
    const std::string root = "http://" + std::string(kServiceHost);
    const std::string home = root + "/" + space.name;
    std::vector<std::string> addresses = {home, home + "/blog"};
    for (const Category& category : space.categories) {
        const std::string listing = home + "/blog/category/" + category.slug;
        addresses.push_back(listing);
        for (int page = 0; page < PagesFor(category.articles.size(), space.perPage); ++page) {
            addresses.push_back(listing + "/index/" + std::to_string(page));
        }
    }
    for (const Category& category : space.categories) {
        for (const Article& article : category.articles) {
            addresses.push_back(home + "/blog/item/" + article.id + ".html");
        }
    }
    addresses.push_back(home + "/profile");
    addresses.push_back(home + "/music/music.pls");
    for (const Song& song : space.songs) {
        addresses.push_back(song.url);
    }
    if (!space.css.name.empty()) {
        addresses.push_back(home + "/css/item/" + space.css.name + ".css");
    }
    for (int page = 0; page < PagesFor(space.board.size(), kBoardMessagesPerPage); ++page) {
        addresses.push_back(home + "/board/index/" + std::to_string(page));
    }
    for (int page = 0; page <= PagesFor(space.comments.size(), space.commentsPerPage); ++page) {
        addresses.push_back(root + "/sys/search?pageno=" + std::to_string(page) +
                            "&type=9&sort=1&word=&entry=2&region=3&hi=" + space.name + "&date=");
    }
    if (space.closed) {
        addresses.push_back(kClosedSpaceLocation);
    }
    if (space.laterLayout) {
        const std::vector<std::string> later = LaterLayoutAddresses(space);
        addresses.insert(addresses.end(), later.begin(), later.end());
    }
    const std::vector<std::string>& pictures = store.PicturesOf(space);
    addresses.insert(addresses.end(), pictures.begin(), pictures.end());
    return addresses;
}

}  // namespace

std::size_t WriteSpaceWarc(const SpaceStore& store, const Space& space, std::ostream& out,
                           bool compressed) {
    WarcWriter writer(out, compressed);
    const std::string time(kDefaultCaptureTime);
    writer.Info("spacesim", time);
    struct Written {
        std::string id;
        std::string message;
        std::string payload;
    };
    std::map<std::string, Written> written;
    for (const std::string& address : SpaceAddresses(store, space)) {
        const std::string wire = OnTheWire(address);
        const RequestTarget target = ParseTarget(wire, "");
        if (written.contains(wire) ||
            (target.host == kServiceHost && !store.IsArchived(target.path))) {
            continue;
        }
        const Reply reply = Route(store, target);
        // A picture its host lost was never captured.
        if (IsPictureHost(target.host) && reply.status == 404) {
            continue;
        }
        const Song* song =
            reply.status == 200 ? store.FindSong(target.host + target.path) : nullptr;
        std::string payload = song != nullptr ? SongBytes(*song) : reply.body;
        std::string message = HttpMessage(reply, payload);
        const std::string id = writer.Response(wire, time, message, payload);
        written[wire] = {id, std::move(message), std::move(payload)};
    }
    const std::string home = OnTheWire("http://" + std::string(kServiceHost) + "/" + space.name);
    for (const std::string& again : {home + "/blog", home + "/profile"}) {
        if (const auto found = written.find(again); found != written.end()) {
            const Written& first = found->second;
            writer.Revisit(again, kSecondCaptureTime, first.message, first.payload, first.id, time);
        }
    }
    return writer.Records();
}

std::size_t WriteSpaceWarcFile(const SpaceStore& store, const std::string& space,
                               const std::string& path) {
    const Space* found = store.Find(space);
    if (found == nullptr) {
        throw std::runtime_error("no space " + space);
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const std::size_t records = WriteSpaceWarc(store, *found, out, path.ends_with(".gz"));
    out.close();
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
    return records;
}

}  // namespace spacesim
