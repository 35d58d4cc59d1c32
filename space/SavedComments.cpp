#include "space/SavedComments.h"

#include <QHash>
#include <QRegularExpression>

#include "platform/Codepage.h"
#include "platform/FolderBeneath.h"
#include "space/SpaceFiles.h"

namespace {

// Far above any comment page; a larger one is not read.
constexpr qint64 kMaxCommentPageBytes = 256LL * 1024 * 1024;

const QString kTitleLabel = QStringLiteral("评论文章：");
const QString kTextLabel = QStringLiteral("评论内容：");
const QString kCommenterLabel = QStringLiteral("评论者：");

SavedComment CommentOf(const SavedRecord& record) {
    SavedComment comment;
    comment.number = record.number.toInt();
    for (const auto& [label, value] : record.lines) {
        if (label == kTitleLabel) {
            comment.articleTitle = value;
        } else if (label == kTextLabel) {
            comment.text = value;
        } else if (label == kCommenterLabel) {
            comment.commenter = value;
        }
    }
    return comment;
}

}  // namespace

std::vector<SavedComment> SavedCommentsOf(const std::vector<SavedRecord>& records,
                                          const std::optional<RecordedComments>& notes) {
    QHash<int, const RecordedComment*> noted;
    if (notes) {
        for (const RecordedComment& note : notes->rows) {
            noted.insert(note.record, &note);
        }
    }
    std::vector<SavedComment> comments;
    comments.reserve(records.size());
    for (const SavedRecord& record : records) {
        SavedComment comment = CommentOf(record);
        if (const RecordedComment* note = noted.value(comment.number); note != nullptr) {
            comment.articleAddress = note->article;
            comment.date = note->date;
        }
        comments.push_back(std::move(comment));
    }
    return comments;
}

std::vector<SavedComment> ReadSavedComments(const QString& spaceFolder,
                                            const std::optional<SaveRecord>& record) {
    const std::optional<std::string> bytes = platform::ReadFileBeneath(
        spaceFolder, spaceFolder + kCommentFileName, kMaxCommentPageBytes);
    if (!bytes) {
        return {};
    }
    static const std::optional<RecordedComments> kNoNotes;
    return SavedCommentsOf(ParseSavedRecords(platform::FromAnsi(*bytes)),
                           record ? record->comments : kNoNotes);
}

QString ArticleAddressKey(const QString& address) {
    static const QRegularExpression scheme(QStringLiteral("^\\s*[a-z]+://"),
                                           QRegularExpression::CaseInsensitiveOption);
    return address.isEmpty() ? QString() : address.trimmed().remove(scheme).toLower();
}

void AttachComments(std::vector<SavedComment> comments, SavedSpace& space) {
    QHash<QString, SavedArticle*> byAddress;
    for (SavedArticle& article : space.articles) {
        if (const QString key = ArticleAddressKey(article.address); !key.isEmpty()) {
            byAddress.insert(key, &article);
        }
    }
    for (SavedComment& comment : comments) {
        SavedArticle* article = byAddress.value(ArticleAddressKey(comment.articleAddress));
        (article != nullptr ? article->comments : space.otherComments)
            .push_back(std::move(comment));
    }
}
