#pragma once

#include <cstddef>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class EventPump;

// What a completed GET brought back (after any redirects).
struct HttpResponse {
    long status = 0;
    std::string contentType;    // the "Content-Type" header, "" when absent
    std::string contentLength;  // the "Content-Length" header, "" when absent
    std::string body;

    // Any status but success, once redirects are followed: the body is the server's error
    // page or a redirect that led nowhere, not the page.
    bool IsError() const { return status < 200 || status >= 300; }

    // A body worth keeping: a success with something in it. An empty answer holds nothing to
    // keep and would only blank an earlier copy.
    bool IsPage() const { return !IsError() && !body.empty(); }
};

// What a request fetches, which sets how long it may take: a page fails when it has not
// arrived within 60 s or comes slower than 100 bytes a second for 15 s; a song, or a body
// read as a stream (HttpStream), may be large and take as long as it keeps coming, but fails
// below 1 KB a second for 30 s.
enum class Payload { Page, Song, Stream };

// Takes the body of a successful answer as it arrives, on the transfer's own thread, so that
// the body is never held in memory; an error answer's body is still kept in the response.
class BodyReceiver {
public:
    virtual ~BodyReceiver() = default;
    // The first piece of a successful answer is coming; announcedLength is its
    // "Content-Length", or -1 when it announced none. Returns false to fail the request.
    virtual bool Begin(long long announcedLength) = 0;
    // The next piece of that body. Returns false to fail the request.
    virtual bool Receive(const char* data, std::size_t size) = 0;
    // The request has ended, with its answer (whose body is empty when it went to Receive),
    // or with nothing when it failed or was aborted. Called once, last.
    virtual void End(const std::optional<HttpResponse>& response) = 0;
};

// Sends every later request for an address A to prefix + A instead, e.g. to a web archive's
// replay service ("http://web.archive.org/web/2012id_/"); the empty prefix sends A itself.
// With a prefix, an answer with an error status (IsError) is the archive's own page, so the
// request counts as failed.
void SetReplayPrefix(const std::string& prefix);

// The prefix set above; empty when requests go to their own addresses.
const std::string& ReplayPrefix();

// Where a request goes: through the replay prefix, as every page of the service does, or
// straight to its own address, as a request to an archive's own services (its capture index)
// does. While a replay prefix names a web archive, either stays on the host it starts on
// (the archive's, the index's): a redirect to another host is not followed, the request
// fails and the redirect is noted (TakeRefusedRedirects).
enum class Route { Replayed, Direct };

// A redirect that a request did not follow: the address asked and where it led.
struct RefusedRedirect {
    std::string address;
    std::string location;
};

// The redirects refused since the last call, oldest first, and forgets them.
std::vector<RefusedRedirect> TakeRefusedRedirects();

// While one lives, requests on this thread wait for their answers on a worker thread and
// handle window events with the pump meanwhile; a stop of the pump aborts the request.
class RequestPumpScope {
public:
    explicit RequestPumpScope(EventPump& pump);
    ~RequestPumpScope();
    RequestPumpScope(const RequestPumpScope&) = delete;
    RequestPumpScope& operator=(const RequestPumpScope&) = delete;

private:
    EventPump* previous_;
};

// The pump of the RequestPumpScope living on this thread, or none.
EventPump* RequestPump();

// Throws RunStopped when the pump of a RequestPumpScope on this thread asks the run to stop:
// for a long step that makes no request and no wait (writing the reading copy), which a stop
// would otherwise not reach until it ends.
void StopIfRequested();

// Performs one GET of the address, with no extra headers, no user name or password (one
// written in the address is left out) and the proxy that the environment names, and returns
// the raw body whatever the status (but see SetReplayPrefix). A busy
// server's 429 or 503 with "Retry-After" is waited out, at most 120 s, and tried again, three
// tries in all. Returns nothing when the request fails: bad address, refused connection, a
// server that is too slow (see Payload), a body cut short or one larger than 64 MiB. Throws
// RunStopped when the pump of a RequestPumpScope asks the run to stop.
std::optional<std::string> HttpGet(const std::string& address);

// The same GET, with the status and headers of the answer. Returns nothing when it fails.
std::optional<HttpResponse> HttpGetResponse(const std::string& address);

// One GET run on a worker thread, so that the user-interface thread stays free while it
// goes. Starts at once; destroying the transfer aborts it if it is still under way.
class HttpTransfer {
public:
    // With a receiver, the body of a successful answer goes to it instead of the response.
    explicit HttpTransfer(std::string address, Payload payload = Payload::Page,
                          std::shared_ptr<BodyReceiver> receiver = nullptr,
                          Route route = Route::Replayed);
    ~HttpTransfer();
    HttpTransfer(const HttpTransfer&) = delete;
    HttpTransfer& operator=(const HttpTransfer&) = delete;

    // True once the request has ended, completed or failed.
    bool Done() const;

    // Waits at most maxMs milliseconds for the request to end; returns Done().
    bool WaitFor(int maxMs);

    // Ends the request as soon as possible; it then counts as failed.
    void Abort();

    // The answer once Done(), moved out to the caller; nothing when the request failed.
    std::optional<HttpResponse> TakeResponse();

private:
    struct State;
    std::shared_ptr<State> state_;
};

// Runs a GET on a worker thread and handles window events until it ends. Returns nothing
// when it fails. Aborts it and throws RunStopped when the pump asks the run to stop.
std::optional<HttpResponse> HttpGetWhilePumping(const std::string& address, EventPump& pump);

// One GET whose body is read as a stream while it arrives, so that no body is held whole
// however large: the transfer runs on a worker thread and stays at most a few pieces ahead of
// the reading. Only a successful answer has a body to read; any other reads as empty. A body
// beyond 1 GiB is cut off there and the request fails, so that no answer goes on for ever.
class HttpStream {
public:
    // Starts the request at once; destroying the stream aborts it if it is still under way.
    HttpStream(std::string address, Route route);
    ~HttpStream();
    HttpStream(const HttpStream&) = delete;
    HttpStream& operator=(const HttpStream&) = delete;

    // The body, read on this thread. A read waits for the next piece, handling window events
    // with the pump of a RequestPumpScope meanwhile, and throws RunStopped when that pump asks
    // the run to stop. It ends with the body, or early when the request fails.
    std::istream& Body();

    // Once Body has been read to its end: the answer (its body empty when it was read), or
    // nothing when the request failed or was cut short.
    std::optional<HttpResponse> Finish();

private:
    class Pieces;
    class Buffer;
    std::shared_ptr<Pieces> pieces_;
    std::unique_ptr<Buffer> buffer_;
    std::istream body_;
    std::unique_ptr<HttpTransfer> transfer_;
};

}  // namespace platform
