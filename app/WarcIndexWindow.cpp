#include "app/WarcIndexWindow.h"

#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/WarcReplay.h"

namespace {

constexpr int kBarSteps = 1000;
constexpr int kRefreshMs = 50;

// What the indexing thread last told, and its result.
struct IndexState {
    std::mutex mutex;
    std::string file;
    std::size_t count = 0;
    std::size_t files = 0;
    std::uint64_t done = 0;
    std::uint64_t size = 0;
    bool finished = false;
    std::optional<std::vector<std::string>> problems;
};

QString Megabytes(std::uint64_t bytes) {
    return QString::number(static_cast<double>(bytes) / (1 << 20), 'f', 1) + QStringLiteral(" MB");
}

}  // namespace

WarcIndexWindow::WarcIndexWindow(QWidget* parent)
    : QDialog(parent),
      lblfile(new QLabel(QStringLiteral("正在读取存档文件…"), this)),
      lblbytes(new QLabel(this)),
      barindex(new QProgressBar(this)),
      cmdcancel(new QPushButton(QStringLiteral("取消"), this)) {
    setWindowTitle(QStringLiteral("Pagewren — 正在读取存档文件"));
    barindex->setRange(0, kBarSteps);
    lblfile->setMinimumWidth(420);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblfile);
    layout->addWidget(barindex);
    layout->addWidget(lblbytes);
    layout->addWidget(cmdcancel, 0, Qt::AlignRight);
    // Enter pressed while waiting must not stop the indexing; Esc and 取消 do.
    cmdcancel->setAutoDefault(false);
    connect(cmdcancel, &QPushButton::clicked, this, [this] { Stop(); });
}

void WarcIndexWindow::reject() {
    if (finished_) {
        QDialog::reject();
    } else {
        Stop();
    }
}

void WarcIndexWindow::Stop() {
    stopped_ = true;
    cmdcancel->setEnabled(false);
    lblbytes->setText(QStringLiteral("正在停止…"));
}

std::optional<std::vector<std::string>> WarcIndexWindow::Index(const std::string& prefix,
                                                               const std::string& time) {
    auto state = std::make_shared<IndexState>();
    std::thread worker([this, state, prefix, time] {
        std::optional<std::vector<std::string>> problems =
            platform::OpenWarcReplay(prefix, time, [&](const platform::WarcIndexStep& step) {
                std::lock_guard lock(state->mutex);
                state->file = step.file;
                state->count = step.count;
                state->files = step.files;
                state->done = step.done;
                state->size = step.size;
                return !stopped_.load();
            });
        std::lock_guard lock(state->mutex);
        state->problems = std::move(problems);
        state->finished = true;
    });
    QTimer refresh;
    connect(&refresh, &QTimer::timeout, this, [this, state] {
        std::lock_guard lock(state->mutex);
        if (state->finished) {
            finished_ = true;
            accept();
            return;
        }
        if (state->files == 0) {
            return;
        }
        lblfile->setText(QStringLiteral("正在读取存档文件（%1/%2）：%3")
                             .arg(state->count + 1)
                             .arg(state->files)
                             .arg(QFileInfo(QString::fromStdString(state->file)).fileName()));
        const double share =
            state->size == 0 ? 0.0
                             : static_cast<double>(state->done) / static_cast<double>(state->size);
        barindex->setValue(static_cast<int>(
            kBarSteps * (static_cast<double>(state->count) + share) / state->files));
        if (!stopped_ && state->size > 0) {
            lblbytes->setText(Megabytes(state->done) + QStringLiteral(" / ") +
                              Megabytes(state->size));
        }
    });
    refresh.start(kRefreshMs);
    exec();
    refresh.stop();
    worker.join();
    if (stopped_) {
        return std::nullopt;
    }
    return std::move(state->problems);
}
