#pragma once

#include <QString>

// The files a save keeps in the space folder beside the category folders.

// The save record: what each part's last run saved.
inline const QString kSaveRecordName = QStringLiteral("保存记录.json");

// The space's CSS template, as saved in the space folder and as copied into the reading
// folder (converted to UTF-8).
inline const QString kCssFileName = QStringLiteral("空间模板.css");

// The saved board and comment pages.
inline const QString kBoardFileName = QStringLiteral("留言版.htm");
inline const QString kCommentFileName = QStringLiteral("文章评论.htm");
