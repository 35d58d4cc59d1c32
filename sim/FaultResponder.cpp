#include "sim/FaultResponder.h"

#include "sim/ConnectionSocket.h"
#include "sim/SiteRouter.h"
#include "sim/StopSignal.h"

#include <httplib.h>
#include <algorithm>
#include <chrono>

namespace spacesim {

namespace {

using namespace std::chrono_literals;

constexpr auto kSlowStart = 1000ms;
constexpr auto kSlowPiecePause = 100ms;
constexpr std::size_t kSlowPieces = 10;
constexpr auto kStallTime = 120s;

// Sends the headers, promising `promised` body bytes, and the first `sent` bytes of the body,
// then runs `after`; returning false from it closes the connection there.
template <typename After>
void SendPartThen(const Reply& reply, std::size_t sent, std::size_t promised,
                  httplib::Response& response, After after) {
    response.status = reply.status;
    response.set_content_provider(promised, reply.contentType,
                                  [body = reply.body.substr(0, sent), after](
                                      std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                      return offset < body.size() ? sink.write(body.data() + offset,
                                                                               body.size() - offset)
                                                                  : after();
                                  });
}

void Slow(const Reply& reply, httplib::Response& response, StopSignal& stop) {
    stop.WaitFor(kSlowStart);
    response.status = reply.status;
    const std::size_t piece = std::max<std::size_t>(1, reply.body.size() / kSlowPieces + 1);
    response.set_content_provider(
        reply.body.size(), reply.contentType,
        [body = reply.body, piece, &stop](std::size_t offset, std::size_t length,
                                          httplib::DataSink& sink) {
            return sink.write(body.data() + offset, std::min(piece, length)) &&
                   stop.WaitFor(kSlowPiecePause);
        });
}

}  // namespace

void RespondWithFault(Fault fault, const Reply& reply, const httplib::Request& request,
                      httplib::Response& response, StopSignal& stop) {
    const int localPort = request.local_port;
    const int remotePort = request.remote_port;
    const std::size_t half = reply.body.size() / 2;
    switch (fault) {
        case Fault::Status404:
        case Fault::Status500: {
            const Reply error = ErrorReply(fault == Fault::Status404 ? 404 : 500);
            response.status = error.status;
            response.set_content(error.body, error.contentType);
            return;
        }
        case Fault::Refuse:
            // Whatever the library then tries to send meets a closed socket.
            ShutConnection(localPort, remotePort);
            return;
        case Fault::Reset:
            SendPartThen(reply, half, reply.body.size(), response, [localPort, remotePort] {
                ResetConnection(localPort, remotePort);
                return false;
            });
            return;
        case Fault::Truncate:
            SendPartThen(reply, reply.body.size(), reply.body.size() + 1000, response,
                         [] { return false; });
            return;
        case Fault::Stall:
            SendPartThen(reply, half, reply.body.size(), response, [&stop] {
                stop.WaitFor(kStallTime);
                return false;
            });
            return;
        case Fault::Slow:
            Slow(reply, response, stop);
            return;
        case Fault::Empty:
            response.status = 200;
            response.set_content("", reply.contentType);
            return;
        case Fault::Moved:
        case Fault::Placeholder:
            response.status = fault == Fault::Moved ? 302 : 200;
            response.set_content("<html><body>This page is not available.</body></html>",
                                 "text/html");
            return;
        case Fault::Offsite:
            response.status = 302;
            response.set_header("Location", std::string(kOffsiteAddress) + request.path);
            response.set_content("<html><body>Moved elsewhere.</body></html>", "text/html");
            return;
        case Fault::Endless:  // only the index pages on; any other page is answered as it is
        case Fault::Flood:
            response.status = reply.status;
            response.set_content(reply.body, reply.contentType);
            return;
        case Fault::NotArchived:
            response.status = 200;
            response.set_content(
                "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Wayback Machine"
                "</title></head><body><p>Wayback Machine doesn't have that page archived.</p>"
                "</body></html>",
                "text/html; charset=utf-8");
            return;
    }
}

}  // namespace spacesim
