#include "sim/ConnectionSocket.h"

#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <cstdlib>

namespace spacesim {

namespace {

int PortOf(const sockaddr_storage& address) {
    if (address.ss_family != AF_INET) {
        return -1;
    }
    return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
}

// The descriptor of the connection, or -1. The connection cannot close during the scan: the
// thread asking for it is the one serving it.
int FindConnection(int localPort, int remotePort) {
    DIR* folder = opendir("/proc/self/fd");
    if (folder == nullptr) {
        return -1;
    }
    int found = -1;
    while (const dirent* entry = readdir(folder)) {
        char* end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0') {
            continue;
        }
        sockaddr_storage local{};
        sockaddr_storage peer{};
        socklen_t localLength = sizeof local;
        socklen_t peerLength = sizeof peer;
        const int descriptor = static_cast<int>(fd);
        if (getsockname(descriptor, reinterpret_cast<sockaddr*>(&local), &localLength) == 0 &&
            getpeername(descriptor, reinterpret_cast<sockaddr*>(&peer), &peerLength) == 0 &&
            PortOf(local) == localPort && PortOf(peer) == remotePort) {
            found = descriptor;
            break;
        }
    }
    closedir(folder);
    return found;
}

}  // namespace

bool ShutConnection(int localPort, int remotePort) {
    const int fd = FindConnection(localPort, remotePort);
    return fd >= 0 && shutdown(fd, SHUT_RDWR) == 0;
}

bool ResetConnection(int localPort, int remotePort) {
    const int fd = FindConnection(localPort, remotePort);
    if (fd < 0) {
        return false;
    }
    // Dissolving a connected TCP socket's association makes Linux send a reset at once,
    // without closing the descriptor that the library still owns.
    sockaddr unspecified{};
    unspecified.sa_family = AF_UNSPEC;
    return connect(fd, &unspecified, sizeof unspecified) == 0;
}

}  // namespace spacesim
