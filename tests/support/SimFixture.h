#pragma once

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "sim/SpaceServer.h"

// The simulated service with its sample spaces on a free loopback port, reached through
// http_proxy for as long as the fixture lives.
class SimFixture {
public:
    // Serves the sample spaces and the test's own.
    explicit SimFixture(std::vector<spacesim::Space> ownSpaces = {})
        : server_(Store(std::move(ownSpaces))) {
        port_ = server_.Start(0);
        Remember("http_proxy");
        Remember("no_proxy");
        setenv("http_proxy", ("http://127.0.0.1:" + std::to_string(port_)).c_str(), 1);
        setenv("no_proxy", "", 1);
    }

    ~SimFixture() {
        server_.Stop();
        for (const auto& [name, value] : saved_) {
            value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
        }
    }

    SimFixture(const SimFixture&) = delete;
    SimFixture& operator=(const SimFixture&) = delete;

    int Port() const { return port_; }
    std::vector<std::string> Requests() const { return server_.Requests(); }
    void ClearRequests() { server_.ClearRequests(); }
    void SetFault(const std::string& path, const std::string& mode) {
        server_.SetFault(path, *spacesim::ParseFault(mode));
    }
    // Leaves the proxy address pointing at a port where nothing answers any more.
    void Stop() { server_.Stop(); }
    spacesim::SpaceServer& Server() { return server_; }

private:
    static spacesim::SpaceStore Store(std::vector<spacesim::Space> ownSpaces) {
        spacesim::SpaceStore store =
            spacesim::SpaceStore::FromFolder(spacesim::SpaceStore::DefaultFolder());
        for (spacesim::Space& space : ownSpaces) {
            store.Add(std::move(space));
        }
        return store;
    }

    void Remember(const std::string& name) {
        const char* value = std::getenv(name.c_str());
        saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }

    spacesim::SpaceServer server_;
    int port_ = -1;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};
