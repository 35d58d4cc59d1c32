#pragma once

#include <QString>
#include <memory>

#include "platform/EventPump.h"

class MusicWindowControls;
namespace platform {
class HttpTransfer;
}

// One song on its way: the transfer runs off the user-interface thread, and its completion is
// handled on that thread by the first wait after it arrives, as a window event would be.
class SongTransfer : public platform::EventPump {
public:
    SongTransfer(MusicWindowControls& controls, const QString& address);
    ~SongTransfer() override;

    // True once the transfer has ended and what it brought has been handled.
    bool Finished() const { return finished_; }

    // True when the song's file was written in full.
    bool Saved() const { return saved_; }

    // Handles window events; the song's completion too, once it has arrived.
    void PumpFor(int maxMs) override;
    bool StopRequested() const override;
    double Pace() const override;

private:
    void Complete();

    MusicWindowControls& controls_;
    platform::EventPump& windowPump_;
    std::unique_ptr<platform::HttpTransfer> transfer_;
    bool finished_ = false;
    bool saved_ = false;
};
