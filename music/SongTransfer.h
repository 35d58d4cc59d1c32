#pragma once

#include <QString>
#include <chrono>
#include <memory>

#include "platform/EventPump.h"

class MusicWindowControls;
namespace platform {
class HttpDownload;
}

// One song on its way to the destination the controls hold: the body goes to the song's file
// off the user-interface thread as it arrives, while the waits on this thread show how far
// it has come and handle its completion, as a window event would be.
class SongTransfer : public platform::EventPump {
public:
    // The song's file goes through no symbolic link below `spaceFolder`.
    SongTransfer(MusicWindowControls& controls, const QString& address, const QString& spaceFolder);
    ~SongTransfer() override;

    // True once the transfer has ended and its outcome has been shown.
    bool Finished() const { return finished_; }

    // True when the song's file was written in full.
    bool Saved() const { return saved_; }

    // Handles window events; shows the progress, and the song's completion once it is there.
    void PumpFor(int maxMs) override;
    bool StopRequested() const override;
    double Pace() const override;

private:
    void ShowArrived();
    void Show(long long written);
    void Complete();

    MusicWindowControls& controls_;
    platform::EventPump& windowPump_;
    std::unique_ptr<platform::HttpDownload> download_;
    std::chrono::steady_clock::time_point lastShown_;
    long long shownBytes_ = 0;
    bool finished_ = false;
    bool saved_ = false;
};
