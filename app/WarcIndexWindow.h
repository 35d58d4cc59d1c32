#pragma once

#include <QDialog>
#include <atomic>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QProgressBar;
class QPushButton;

// The small window shown while the program indexes the WARC files named at its start, before
// its main window: the file being read, how far, and a button that stops it.
class WarcIndexWindow : public QDialog {
public:
    explicit WarcIndexWindow(QWidget* parent = nullptr);

    // Indexes the files of the prefix nearest the time (platform::OpenWarcReplay) on a worker
    // thread while the window shows how far it has come; returns what could not be read, or
    // nothing when 取消 was pressed or the window closed.
    std::optional<std::vector<std::string>> Index(const std::string& prefix,
                                                  const std::string& time);

    QLabel* lblfile;
    QLabel* lblbytes;
    QProgressBar* barindex;
    QPushButton* cmdcancel;

protected:
    // Closing the window stops the indexing, as 取消 does.
    void reject() override;

private:
    void Stop();

    std::atomic<bool> stopped_{false};
    bool finished_ = false;
};
