#pragma once

class RecordWindowControls;

// The "查看留言" run of the message-board window: reads the message count from the profile
// page and lists every message of the board pages (50 to a page) with its number, author,
// time and text, pausing 100 ms per row, then reports the count and enables the save. A
// page that fails, or that holds no message where the count promised some, adds no row and
// is counted as unread; three answered pages in a row without a message end the walk, and
// the pages it leaves are counted as unread too. The final status says how many pages could
// not be read. An address whose profile page is no space's shows
// "您的百度空间不存在！！" and disables the save. No page can keep a page walk going. Throws
// platform::RunStopped when the pump asks the run to stop.
void RunBoardRetrieval(RecordWindowControls& controls);

// The "备份留言" run of the message-board window: writes the list to "留言版.htm" in the space
// folder as RunRecordFileSave does. Returns false when the file could not be written.
bool RunBoardSave(RecordWindowControls& controls);
