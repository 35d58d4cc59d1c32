#pragma once

class MusicWindowControls;

// The "获取背景音乐" run: clears the list and the progress of the last song downloaded, reads
// the playlist of the space at the address and lists one row per song address, pausing 100 ms
// per row, then shows the song count and enables the download.
// A page that is no playlist (a space without songs) lists nothing. A playlist that could not
// be read (FetchPlaylist) lists nothing either, and the count then ends in
// "，其中 1 个页面读取失败"; returns false in that case. When a page that is no playlist comes
// back, the space's blog page tells whether the space exists: if not, the status reads
// "您的百度空间不存在！！", the download stays disabled and it returns false. Throws
// platform::RunStopped when the pump asks the run to stop.
bool RunPlaylistRetrieval(MusicWindowControls& controls);
