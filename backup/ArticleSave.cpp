#include "backup/ArticleSave.h"

#include <algorithm>
#include <optional>

#include "app/SafeNames.h"
#include "app/moddelay.h"
#include "app/modgetdata.h"
#include "backup/ArticlePaths.h"
#include "backup/ArticleText.h"
#include "backup/ArticleWindowControls.h"
#include "backup/modchange.h"
#include "platform/EventPump.h"
#include "platform/FileSystem.h"
#include "platform/ReportList.h"
#include "platform/Shell.h"

namespace {

// The list cells one article is saved from.
struct ArticleRow {
    QString title;
    QString category;
    QString address;
};

class SaveRun {
public:
    explicit SaveRun(ArticleWindowControls& controls)
        : controls_(controls),
          spaceFolder_(SpaceFolderPath(controls.AppFolder(), controls.Address())) {}

    SaveOutcome Run() {
        controls_.SetSaveCaption(QStringLiteral("正在保存"));
        controls_.SetFormatEnabled(false);
        controls_.SetSaveEnabled(false);
        if (!platform::PathExists(spaceFolder_)) {
            platform::CreateFolder(spaceFolder_);
        }
        const QString format = controls_.SaveFormat();
        if (format == QLatin1String("html")) {
            Walk(&SaveRun::SaveHtml, {QStringLiteral(".html")});
        } else if (format == QLatin1String("html & doc")) {
            Walk(&SaveRun::SaveHtmlAndDoc, {QStringLiteral(".html"), QStringLiteral(".html.doc")});
        } else if (format == QLatin1String("txt")) {
            Walk(&SaveRun::SaveText, {QStringLiteral(".txt")});
        }
        platform::SyncFolder(spaceFolder_);
        QString status = QStringLiteral("保存完毕！");
        if (outcome_.failed > 0) {
            status += QStringLiteral("其中 ") + QString::number(outcome_.failed) +
                      QStringLiteral(" 篇文章保存失败");
        }
        if (outcome_.skipped > 0) {
            status += (outcome_.failed > 0 ? QStringLiteral("，") : QString()) +
                      QStringLiteral("已跳过 ") + QString::number(outcome_.skipped) +
                      QStringLiteral(" 篇");
        }
        controls_.SetStatus(status);
        controls_.SetSaveEnabled(true);
        controls_.SetSaveCaption(QStringLiteral("保存文章"));
        controls_.SetFormatEnabled(true);
        platform::OpenFolder(spaceFolder_);
        return outcome_;
    }

private:
    using Step = bool (SaveRun::*)(int, const ArticleRow&);

    void Walk(Step save, const QStringList& extensions) {
        // The row count is taken once; the list stays as it is while a save runs.
        const int count = controls_.Articles().RowCount();
        for (int i = 1; i <= count; ++i) {
            const platform::ReportList& rows = controls_.Articles();
            const ArticleRow row{rows.Cell(i, 1), rows.Cell(i, 2), rows.Cell(i, 4)};
            if (controls_.SkipSaved() && IsSaved(i, row, extensions)) {
                ++outcome_.skipped;
                continue;
            }
            ++outcome_.articles;
            if (!(this->*save)(i, row)) {
                ++outcome_.failed;
            }
        }
    }

    bool SaveHtml(int i, const ArticleRow& row) {
        const std::optional<QString> page = GetPageToKeep(row.address);
        Pause();
        const bool saved =
            page && WriteArticle(i, row, QStringLiteral(".html"), {ArticleBody(*page)});
        Progress(i, QStringLiteral("篇文章为网页文件(.html)"));
        return saved;
    }

    bool SaveHtmlAndDoc(int i, const ArticleRow& row) {
        const std::optional<QString> page = GetPageToKeep(row.address);
        bool saved = page && WriteArticle(i, row, QStringLiteral(".html"), {ArticleBody(*page)});
        if (saved) {
            saved = SaveAsWordDoc(ArticlePath(i, row, QStringLiteral(".html")), controls_.Pump()) ==
                    WordDocResult::Made;
        }
        Progress(i, QStringLiteral("篇文章为word文档(.doc)"));
        Pause();
        return saved;
    }

    bool SaveText(int i, const ArticleRow& row) {
        const std::optional<QString> page = GetPageToKeep(row.address);
        Pause();
        // This status names the article after the one being written.
        Progress(i + 1, QStringLiteral("篇文章为文本文件(.txt)"));
        return page &&
               WriteArticle(i, row, QStringLiteral(".txt"), ArticleTextLines(row.title, *page));
    }

    // Whether an earlier run left every file of the article, none of them empty.
    bool IsSaved(int i, const ArticleRow& row, const QStringList& extensions) const {
        return std::all_of(extensions.begin(), extensions.end(), [&](const QString& extension) {
            return platform::IsNonEmptyFile(ArticlePath(i, row, extension));
        });
    }

    // Two seconds whatever the wait box holds; the service took no faster requests.
    void Pause() { Delay(2, QStringLiteral("1000"), controls_.Pump()); }

    void Progress(int number, const QString& what) {
        controls_.SetStatus(QStringLiteral("共有文章") +
                            QString::number(controls_.Articles().RowCount()) +
                            QStringLiteral("篇，正在保存第") + QString::number(number) + what);
    }

    QString ArticlePath(int i, const ArticleRow& row, const QString& extension) const {
        return CategoryFolderPath(spaceFolder_, row.category) + platform::kPathSeparator +
               ArticleFileName(i, row.title, extension);
    }

    // Creates the category folder when missing and writes the file anew. Returns false when
    // the file could not be written.
    bool WriteArticle(int i, const ArticleRow& row, const QString& extension,
                      const QStringList& lines) {
        // A window closed during the last wait must not get any further file.
        if (controls_.Pump().StopRequested()) {
            throw platform::RunStopped{};
        }
        const QString folder = CategoryFolderPath(spaceFolder_, row.category);
        if (!platform::PathExists(folder)) {
            platform::CreateFolder(folder);
        }
        return platform::WriteAnsiLines(ArticlePath(i, row, extension), lines);
    }

    ArticleWindowControls& controls_;
    const QString spaceFolder_;
    SaveOutcome outcome_;
};

}  // namespace

SaveOutcome RunArticleSave(ArticleWindowControls& controls) {
    return SaveRun(controls).Run();
}
