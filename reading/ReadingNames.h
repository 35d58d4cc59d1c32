#pragma once

#include <QString>

#include "space/SpaceFiles.h"

// The start page of the reading copy, in the space folder.
inline const QString kStartPageName = QStringLiteral("index.html");

// The folder of the reading pages in the space folder: "阅读版" followed by DEL (U+007F).
// Category folders are named by SafeName, which makes every DEL "_", so no category can
// take this name, and the folder is replaced whole without touching a saved article.
inline const QString kReadingFolderName = QStringLiteral("阅读版") + QChar(0x7F);

// The reading pages of the board and comment pages in the reading folder.
inline const QString kBoardPageName = QStringLiteral("留言版.html");
inline const QString kCommentPageName = QStringLiteral("文章评论.html");

// The album page in the reading folder: the space's photos.
inline const QString kAlbumPageName = QStringLiteral("相册.html");
