#pragma once

class MusicWindowControls;

// How a download went: the songs started and how many of them yielded no file.
struct DownloadOutcome {
    int songs = 0;
    int failed = 0;
    int skipped = 0;  // left out as downloaded before
};

// The "下载背景音乐" run: downloads every listed song into the folder "背景音乐" beneath the
// space folder, each to a file of its own (SongFileNames), one song at a time and no faster
// than one every two seconds, showing the progress of each, then reports the end. The body
// goes to disk as it arrives, whatever its size. A song that is refused, cut off or answered with
// an error status, or whose file cannot be written, gets no file (an earlier copy stays) and is
// counted as failed in the final status and marked in the list. An empty list makes no folder
// and notes nothing. Throws platform::RunStopped when the pump asks the run to stop; the song
// under way then leaves no file behind. When the controls ask for it, a song whose file is
// there and not empty is neither requested nor waited for.
DownloadOutcome RunMusicDownload(MusicWindowControls& controls);
