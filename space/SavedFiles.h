#pragma once

#include <QString>
#include <optional>
#include <utility>
#include <vector>

// What the saved files of an article, the board and the comments hold, read back.

// The four labelled lines of a saved ".txt" article; a label that is missing reads as empty.
// The content runs to the end of the file.
struct SavedText {
    QString title;
    QString category;
    QString date;
    QString content;
};

// Reads the lines of a saved ".txt" article.
SavedText ParseSavedText(const QString& text);

// The date in a saved ".html" fragment, cut where the text save cuts it; empty when the
// fragment holds none.
QString SavedMarkupDate(const QString& markup);

// The article's title in a saved ".html" fragment as the page showed it, references decoded:
// its first text, standing in a box of its own before the date box. Empty when the fragment
// holds no such text.
QString SavedMarkupTitle(const QString& markup);

// One record of a saved board or comment page: its number and its labelled lines.
struct SavedRecord {
    QString number;
    std::vector<std::pair<QString, QString>> lines;  // label (with its "："), value
};

// Reads the records of a saved board or comment page: each begins with "N0." and its number
// and ends with the "<br><br>" line; a line of three blanks, a label and "：" starts a field,
// any other line continues the field before it (a cell's own line breaks).
std::vector<SavedRecord> ParseSavedRecords(const QString& text);

// A text file the saves wrote (code page 936) at that path in the space folder, without its
// last line end; nothing when it cannot be read, is larger than any save writes (64 MB), or
// the way to it holds a symbolic link, which the saves never make.
std::optional<QString> ReadSavedText(const QString& spaceFolder, const QString& path);

// The address a line of a saved ".txt" article's content names as a linked picture's: the
// text save writes "图片地址：" and the address on a line of its own, the address's colons
// made full-width. The address as written, colons restored; empty for any other line.
QString SavedTextPicture(const QString& line);
