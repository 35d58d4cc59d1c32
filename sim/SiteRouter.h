#pragma once

#include "sim/SpaceData.h"

#include <string>

namespace spacesim {

class SpaceStore;
struct RequestTarget;

// A complete answer: the status, the content type and the body bytes as they go out.
struct Reply {
    int status = 200;
    std::string contentType;
    std::string body;
    SongDelivery delivery = SongDelivery::Whole;  // how a song's body goes out
    std::string location = {};                    // where a redirect sends the client
    // A song whose bytes are made as they go out (body is then empty), so that a song of any
    // size costs the simulator no memory.
    const Song* song = nullptr;
};

// The content type of every page: code page 936 under the name the service used for it.
inline constexpr const char* kPageType = "text/html; charset=gb2312";

// Answers one request as the service, the song hosts and the picture hosts did: pages in code
// page 936, songs as audio/mpeg, pictures as their kind (PictureReply). An unknown space, page
// or picture gives the 404 error page, a host that neither the service nor any song or picture
// lives on gives a 502 page. Never fails.
Reply Route(const SpaceStore& store, const RequestTarget& target);

// An error page reply for the status.
Reply ErrorReply(int status);

// Where the service sent every page of a space it had closed.
inline constexpr const char* kClosedSpaceLocation = "http://hi.baidu.com/com/error/?from=oldblog";

}  // namespace spacesim
