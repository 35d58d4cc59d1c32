#pragma once

class RecordWindowControls;

// The "查看留言" run of the comment window: reads the first comment search page of the space,
// estimates the number of comments from its last page number, then lists every comment of
// search pages 0 to the last page it links to with its article title, text and commenter,
// pausing 100 ms per row; rows without a title are removed at the end. The walk stops after
// three answered pages in a row without a comment, counting the pages it leaves as unread; a
// failed page never ends it. A space without comments ends the run early with
// "您的百度空间没有文章评论", an address whose search page is no search page with
// "您的百度空间不存在！！" and the save disabled. A last page number that is not a 32-bit number
// reads as 0. A failed request reads as an empty page and the final status says how many
// pages could not be read; no page can keep a walk going. Throws platform::RunStopped when
// the pump asks the run to stop.
void RunCommentRetrieval(RecordWindowControls& controls);

// The "备份留言" run of the comment window: writes the list to "文章评论.htm" in the space
// folder as RunRecordFileSave does. Returns false when the file could not be written.
bool RunCommentSave(RecordWindowControls& controls);
