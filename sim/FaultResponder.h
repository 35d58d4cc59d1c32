#pragma once

#include "sim/Fault.h"

namespace httplib {
struct Request;
struct Response;
}  // namespace httplib

namespace spacesim {

// Where the offsite fault sends a client, followed by the path asked for.
inline constexpr const char* kOffsiteAddress = "http://offsite.pagewren.test";

class StopSignal;
struct Reply;

// Fills the response so that sending it misbehaves as the fault says, `reply` being what a
// healthy server would have sent. Waits inside (slow, stall) end early once `stop` is raised.
// The provider it installs keeps a reference to `stop`, which must outlive the response.
void RespondWithFault(Fault fault, const Reply& reply, const httplib::Request& request,
                      httplib::Response& response, StopSignal& stop);

}  // namespace spacesim
