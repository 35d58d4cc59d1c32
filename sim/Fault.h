#pragma once

#include <optional>
#include <string_view>

namespace spacesim {

// How the simulator misbehaves when it answers one path.
enum class Fault {
    Status404,    // a 404 error page with text in it
    Status500,    // a 500 error page with text in it
    Refuse,       // the connection closes before any byte of a response
    Reset,        // the response starts, then the connection is reset mid-body
    Slow,         // the whole response, but only after about two seconds, in small pieces
    Stall,        // headers and part of the body, then silence until 120 s pass or the server stops
    Truncate,     // a Content-Length larger than the body sent, then the connection closes
    Empty,        // a 200 answer without a body
    Moved,        // a 302 answer with a short page and no Location to follow
    Placeholder,  // a 200 answer with a short "not available" page in place of the page
    NotArchived,  // a 200 answer with an archive's "not archived" page, as some archives give
    Endless,      // the capture index: every page names a further page, with a key never seen
    Offsite,      // a 302 answer sending the client to another host, offsite.pagewren.test
    Flood,        // the capture index: one page of 64 MiB that ignores the limit
};

// The fault named by a mode word ("status404", "refuse", ...); nothing for an unknown word.
std::optional<Fault> ParseFault(std::string_view mode);

}  // namespace spacesim
