#include "music/MusicDownload.h"

#include <memory>

#include "app/PlaylistRows.h"
#include "app/SafeNames.h"
#include "app/moddelay.h"
#include "music/MusicWindowControls.h"
#include "music/SongNames.h"
#include "music/SongTransfer.h"
#include "platform/FileSystem.h"
#include "platform/ReportList.h"
#include "reading/ReadingCopy.h"
#include "space/SaveNotes.h"

namespace {

// How often the loop looks again for a song that is still arriving after its two seconds.
constexpr int kPollMs = 10;

QString SongPath(const QString& folder, const QString& fileName) {
    return folder + platform::kPathSeparator + fileName;
}

// Prepares the song folder and the destination, then starts the song's transfer.
std::unique_ptr<SongTransfer> StartMusicDownload(MusicWindowControls& controls,
                                                 const QString& address, const QString& spaceFolder,
                                                 const QString& folder, const QString& fileName) {
    if (!platform::PathExists(folder)) {
        platform::CreateFolder(folder);
    }
    controls.SetDestination(SongPath(folder, fileName));
    return std::make_unique<SongTransfer>(controls, address, spaceFolder);
}

QStringList SongAddresses(MusicWindowControls& controls) {
    QStringList addresses;
    for (int i = 1; i <= controls.Songs().RowCount(); ++i) {
        addresses << controls.Songs().Cell(i, 1);
    }
    return addresses;
}

// Read with the addresses, before any wait lets the list change.
QStringList SongTitles(MusicWindowControls& controls) {
    QStringList titles;
    for (int i = 1; i <= controls.Songs().RowCount(); ++i) {
        titles << controls.Songs().RowNote(i, kSongTitleNote);
    }
    return titles;
}

QString SongCount(MusicWindowControls& controls) {
    return QStringLiteral("共 ") + QString::number(controls.Songs().RowCount()) +
           QStringLiteral(" 歌曲，");
}

// Waits the two seconds of the pace, then on for a song that takes longer, so that every
// song's body goes to its own file.
void WaitForSong(SongTransfer& song) {
    Delay(2, QStringLiteral("1000"), song);
    while (!song.Finished()) {
        song.PumpFor(kPollMs);
        if (song.StopRequested()) {
            throw platform::RunStopped{};
        }
    }
}

}  // namespace

DownloadOutcome RunMusicDownload(MusicWindowControls& controls) {
    // A press while the songs come would be ignored: the button shows it.
    controls.SetDownloadEnabled(false);
    // The songs are those of the space listed, whatever the address box holds now.
    const QString address = controls.ListedAddressOr(controls.Address());
    const QString spaceFolder = SpaceFolderPath(controls.AppFolder(), address);
    // The names are given for the whole list at once, so that each song's file is its own
    // and is the same one on every run.
    const QStringList addresses = SongAddresses(controls);
    const QStringList titles = SongTitles(controls);
    // No song, nothing to keep: no folder, and no record or reading copy saying otherwise.
    if (!addresses.isEmpty() && !platform::PathExists(spaceFolder)) {
        platform::CreateFolder(spaceFolder);
    }
    const QString songFolder = spaceFolder + QStringLiteral("背景音乐");
    DownloadOutcome outcome;
    const QStringList fileNames = SongFileNames(addresses);
    std::vector<RowOutcome> noted;
    for (int i = 1; i <= addresses.size(); ++i) {
        const QString& address = addresses[i - 1];
        const QString& fileName = fileNames[i - 1];
        if (controls.SkipSaved() &&
            platform::IsNonEmptyFile(SongPath(songFolder, fileName), spaceFolder)) {
            ++outcome.skipped;
            noted.push_back(RowOutcome::Skipped);
            continue;
        }
        controls.SetSongStatus(SongCount(controls) + QStringLiteral("正在下载第 ") +
                               QString::number(i) + QStringLiteral(" 首歌曲"));
        const auto song = StartMusicDownload(controls, address, spaceFolder, songFolder, fileName);
        WaitForSong(*song);
        ++outcome.songs;
        outcome.failed += song->Saved() ? 0 : 1;
        controls.MarkSongFailed(i, !song->Saved());
        noted.push_back(song->Saved() ? RowOutcome::Saved : RowOutcome::Failed);
    }
    QString status = SongCount(controls) + QStringLiteral("已下载完毕");
    if (outcome.failed > 0) {
        status += QStringLiteral("，其中 ") + QString::number(outcome.failed) +
                  QStringLiteral(" 首下载失败");
    }
    if (outcome.skipped > 0) {
        status +=
            QStringLiteral("，已跳过 ") + QString::number(outcome.skipped) + QStringLiteral(" 首");
    }
    if (!addresses.isEmpty() &&
        !RefreshReadingCopy(
            controls.AppFolder(), address,
            NoteSongDownload(controls.AppFolder(), address, addresses, titles, fileNames, noted))) {
        controls.NotesUnwritten();
    }
    controls.SetSongStatus(status);
    controls.SetDownloadEnabled(true);
    return outcome;
}
