#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "space/SavedFiles.h"
#include "space/SavedSpace.h"

// What the comment page shows of a record beyond its lines: the comment's date, and the
// reading page of the article it stands under (empty when it stands under none).
struct CommentPlace {
    QString date;
    QString articlePage;
    QString articleTitle;
};

// The reading page of a saved board or comment page: every label and value escaped, only
// the line breaks a value holds as "<br>" kept as such; a link back to the start page and
// one to the saved file. `places`, when given, holds what the comment page adds to each
// record, in the records' order.
QString RecordPage(const QString& title, const QString& savedFile,
                   const std::vector<SavedRecord>& records, const QString& styleSheet,
                   const std::vector<CommentPlace>& places = {});

// The comments under an article's reading page, each with its commenter, date and text,
// escaped as the records are; empty when there are none.
QString CommentSection(const std::vector<SavedComment>& comments);
