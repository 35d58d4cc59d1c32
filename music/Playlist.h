#pragma once

class MusicWindowControls;

// The "获取背景音乐" run: reads the playlist of the space at the address and lists one row per
// song address, pausing 100 ms per row, then shows the song count and enables the download.
// A failed request or a page that is no playlist lists nothing. Throws platform::RunStopped
// when the pump asks the run to stop.
void RunPlaylistRetrieval(MusicWindowControls& controls);
