#pragma once

#include <QString>
#include <QUrl>
#include <set>
#include <string>
#include <vector>

#include "sim/SpaceServer.h"
#include "sim/SpaceStore.h"

// A server on loopback that a browser under test is sent to for every address (its proxy) or
// that every address of a hostile page names: whatever reaches it shows in its log.
class HitLog {
public:
    HitLog() : server_(spacesim::SpaceStore()), port_(server_.Start(0)) {}
    ~HitLog() { server_.Stop(); }

    int Port() const { return port_; }
    QString Address(const QString& what) const {
        return QStringLiteral("http://127.0.0.1:%1/%2").arg(port_).arg(what);
    }
    // The addresses asked for, each once.
    std::string Hits() const {
        const std::vector<std::string> requests = server_.Requests();
        std::string hits;
        for (const std::string& hit : std::set<std::string>(requests.begin(), requests.end())) {
            hits += hit + "\n";
        }
        return hits;
    }

private:
    spacesim::SpaceServer server_;
    int port_;
};

// The hits less those of Chromium's own services (its clock, its updates), which it asks
// whatever it shows.
inline std::string PageHits(const std::string& hits) {
    std::string kept;
    for (const QString& hit : QString::fromStdString(hits).split(QChar('\n'), Qt::SkipEmptyParts)) {
        const QString host = QUrl(QStringLiteral("http://") + hit).host();
        if (!host.endsWith(QLatin1String(".google.com")) &&
            !host.endsWith(QLatin1String(".googleapis.com"))) {
            kept += hit.toStdString() + "\n";
        }
    }
    return kept;
}
