#pragma once

namespace spacesim {

// The HTTP library hides the socket of a request; these reach it through the two ports
// that identify the connection. Both leave the descriptor open for the library to close.

// Ends both directions of the connection at once: the client reads an end of stream.
// Returns false when no such connection is open in this process.
bool ShutConnection(int localPort, int remotePort);

// Aborts the connection: the client reads a reset. Returns false when no such connection is
// open in this process.
bool ResetConnection(int localPort, int remotePort);

}  // namespace spacesim
