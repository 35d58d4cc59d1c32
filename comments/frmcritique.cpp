#include "comments/frmcritique.h"

#include "comments/ArticleComments.h"

frmcritique::frmcritique(const QString& appFolder)
    : RecordListWindow(appFolder, {QStringLiteral("frmcritique"),
                                   QStringLiteral("cmdcritique"),
                                   QStringLiteral("LVcritique"),
                                   9885,
                                   5895,
                                   7935,
                                   QRect(120, 5640, 8055, 255),
                                   {{QStringLiteral("No"), 500},
                                    {QStringLiteral("评论文章"), 2000},
                                    {QStringLiteral("评论内容"), 5200},
                                    {QStringLiteral("评论者"), 1850}}}),
      cmdcritique(fetchButton),
      LVcritique(recordList) {}

void frmcritique::Retrieve(::RecordWindowControls& controls) {
    RunCommentRetrieval(controls);
}

void frmcritique::Save(::RecordWindowControls& controls) {
    RunCommentSave(controls);
}
