#include "backup/ArticleSave.h"

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <set>

#include "app/Captions.h"
#include "app/SafeNames.h"
#include "app/moddelay.h"
#include "app/modgetdata.h"
#include "backup/ArticleText.h"
#include "backup/ArticleWindowControls.h"
#include "backup/WordDocQueue.h"
#include "pictures/ArticlePictures.h"
#include "pictures/PictureFetch.h"
#include "platform/BackgroundWriter.h"
#include "platform/Codepage.h"
#include "platform/EventPump.h"
#include "platform/FileSystem.h"
#include "platform/FolderBeneath.h"
#include "platform/ReportList.h"
#include "platform/Shell.h"
#include "reading/ReadingCopy.h"
#include "space/ArticlePaths.h"
#include "space/SaveNotes.h"

namespace {

// The window's pump, taking in the files written and the Word documents made during each
// slice of a wait.
class ConvertingPump : public platform::EventPump {
public:
    ConvertingPump(platform::EventPump& window, std::function<void()> takeIn)
        : window_(window), takeIn_(std::move(takeIn)) {}
    void PumpFor(int maxMs) override {
        window_.PumpFor(maxMs);
        // A window closed during this slice must not get any further document.
        if (!window_.StopRequested()) {
            takeIn_();
        }
    }
    bool StopRequested() const override { return window_.StopRequested(); }
    double Pace() const override { return window_.Pace(); }

private:
    platform::EventPump& window_;
    std::function<void()> takeIn_;
};

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
          address_(controls.ListedAddressOr(controls.Address())),
          spaceFolder_(SpaceFolderPath(controls.AppFolder(), address_)),
          pump_(controls.Pump(), [this] {
              TakeInWritten();
              wordDocs_.Poll();
          }) {}

    SaveOutcome Run() {
        controls_.SetSaveCaption(QStringLiteral("正在保存"));
        controls_.SetFormatEnabled(false);
        controls_.SetSaveEnabled(false);
        // A save of nothing leaves no folder, and no record or reading copy that would pass an
        // empty list for the space.
        const bool anyArticle = controls_.Articles().RowCount() > 0;
        if (anyArticle && !platform::PathExists(spaceFolder_)) {
            platform::CreateFolder(spaceFolder_);
        }
        const QString format = controls_.SaveFormat();
        if (format == QLatin1String("html")) {
            Walk(&SaveRun::SaveHtml, {QStringLiteral(".html")});
        } else if (format == QLatin1String("html & doc")) {
            convertWritten_ = true;
            Walk(&SaveRun::SaveHtmlAndDoc, {QStringLiteral(".html"), QStringLiteral(".html.doc")});
            FinishWordDocs();
        } else if (format == QLatin1String("txt")) {
            Walk(&SaveRun::SaveText, {QStringLiteral(".txt")});
        }
        if (anyArticle) {
            NoteUnwrittenRows();
            SavePictures();
            const CatalogueOutcome& listed = controls_.ListedCatalogue();
            outcome_.noted = RefreshReadingCopy(
                controls_.AppFolder(), address_,
                NoteArticleSave(controls_.AppFolder(), address_, format, controls_.Articles(),
                                noted_, listed.MayLackArticles() ? listed.unreadPages : 0,
                                pictures_ ? &pictures_->pictures : nullptr));
        }
        controls_.SetStatus(EndStatus());
        controls_.SetSaveEnabled(true);
        controls_.SetSaveCaption(QStringLiteral("保存文章"));
        controls_.SetFormatEnabled(true);
        if (platform::PathExists(spaceFolder_)) {
            platform::OpenFolder(spaceFolder_);
        }
        controls_.SaveEnded(outcome_);
        return outcome_;
    }

private:
    using Step = bool (SaveRun::*)(int, const ArticleRow&);

    void Walk(Step save, const QStringList& extensions) {
        // The row count is taken once; the list stays as it is while a save runs.
        const int count = controls_.Articles().RowCount();
        lastRow_ = count;
        for (int i = 1; i <= count; ++i) {
            const platform::ReportList& rows = controls_.Articles();
            const ArticleRow row{rows.Cell(i, 1), rows.Cell(i, 2), rows.Cell(i, 4)};
            if (controls_.SkipSaved() && IsSaved(i, row, extensions)) {
                TakeSavedPictures(i, row, extensions.first());
                ++outcome_.skipped;
                noted_.push_back(RowOutcome::Skipped);
                continue;
            }
            ++outcome_.articles;
            const bool saved = (this->*save)(i, row);
            if (!saved) {
                ++outcome_.failed;
            }
            noted_.push_back(saved ? RowOutcome::Saved : RowOutcome::Failed);
        }
        // Each file was flushed to disk as it was written; their folders are flushed once.
        outcome_.failed += files_.Finish();
        TakeInWritten();
    }

    // Counts the files that could not be written and hands the .html files written for Word
    // documents on to the converter.
    void TakeInWritten() {
        for (const platform::BackgroundWriter::Outcome& file : files_.TakeFinished()) {
            if (!file.written) {
                ++outcome_.failed;
                unwrittenRows_.insert(rowOfFile_[file.path]);
            } else if (convertWritten_) {
                wordDocs_.Add(file.path);
            }
        }
    }

    bool SaveHtml(int i, const ArticleRow& row) {
        const std::optional<QString> page = FetchArticle(row);
        Pause();
        if (page) {
            QueueArticle(i, row, QStringLiteral(".html"), {ArticleBody(*page, row.category)});
        }
        Progress(i, QStringLiteral("篇文章为网页文件(.html)"));
        return page.has_value();
    }

    // Documents are made in the background, many to one LibreOffice run, during the pauses;
    // the runs shrink towards the end, so the last one ends within the last article's pause.
    bool SaveHtmlAndDoc(int i, const ArticleRow& row) {
        const std::optional<QString> page = FetchArticle(row);
        if (page) {
            QueueArticle(i, row, QStringLiteral(".html"), {ArticleBody(*page, row.category)});
        }
        Progress(i, QStringLiteral("篇文章为word文档(.doc)"));
        wordDocs_.SetComing(lastRow_ - i);
        if (i == lastRow_) {
            outcome_.failed += files_.Finish();
            TakeInWritten();
            wordDocs_.ConvertWaiting();
        } else {
            TakeInWritten();
        }
        Pause();
        return page.has_value();
    }

    // An article whose document LibreOffice could not make is not saved in full; one left
    // without a document because LibreOffice is missing is counted apart, its .html kept.
    void FinishWordDocs() {
        wordDocs_.Finish(controls_.Pump());
        outcome_.failed += wordDocs_.Count(WordDocResult::ConversionFailed) +
                           wordDocs_.Count(WordDocResult::TimedOut);
        outcome_.withoutWordDoc = wordDocs_.Count(WordDocResult::NoConverter);
        for (const QString& html : wordDocs_.FailedArticles()) {
            unwrittenRows_.insert(rowOfFile_[html]);
        }
    }

    // A row whose file could not be written was walked as saved; an earlier copy may still be
    // in its place, but it is not this save's.
    void NoteUnwrittenRows() {
        for (const int row : unwrittenRows_) {
            if (row >= 1 && row <= static_cast<int>(noted_.size())) {
                noted_[static_cast<std::size_t>(row - 1)] = RowOutcome::Failed;
            }
        }
    }

    // What the list may lack, as the catalogue behind it found: its last status is gone by now.
    QString CatalogueNote() const {
        const CatalogueOutcome& listed = controls_.ListedCatalogue();
        const QString pages = QString::number(listed.unreadPages);
        if (listed.MayLackArticles()) {
            return QStringLiteral("文章目录有 ") + pages +
                   QStringLiteral(" 个页面读取失败，可能有文章未列出");
        }
        if (listed.indexFilledGaps && listed.unreadPages > 0) {
            return QStringLiteral("文章目录 ") + pages + QStringLiteral(" 页未读，") +
                   QString::number(listed.fromIndex) + QStringLiteral(" 篇由存档索引补全");
        }
        return {};
    }

    QString EndStatus() const {
        QStringList parts;
        if (outcome_.failed > 0) {
            parts << QStringLiteral("其中 ") + QString::number(outcome_.failed) +
                         QStringLiteral(" 篇文章保存失败");
        }
        if (outcome_.withoutWordDoc > 0) {
            parts << (parts.isEmpty() ? QStringLiteral("其中 ") : QString()) +
                         QString::number(outcome_.withoutWordDoc) +
                         QStringLiteral(" 篇文章未能生成Word文档（未找到LibreOffice）");
        }
        if (outcome_.skipped > 0) {
            parts << QStringLiteral("已跳过 ") + QString::number(outcome_.skipped) +
                         QStringLiteral(" 篇");
        }
        if (const QString note = CatalogueNote(); !note.isEmpty()) {
            parts << note;
        }
        if (pictures_ && !pictures_->StatusNote().isEmpty()) {
            parts << pictures_->StatusNote();
        }
        return QStringLiteral("保存完毕！") + parts.join(QStringLiteral("，"));
    }

    bool SaveText(int i, const ArticleRow& row) {
        const std::optional<QString> page = FetchArticle(row);
        Pause();
        // This status names the article after the one being written.
        Progress(i + 1, QStringLiteral("篇文章为文本文件(.txt)"));
        if (page) {
            QueueArticle(i, row, QStringLiteral(".txt"),
                         ArticleTextLines(row.title, row.category, *page));
        }
        return page.has_value();
    }

    // Whether an earlier run left every file of the article, none of them empty.
    bool IsSaved(int i, const ArticleRow& row, const QStringList& extensions) const {
        return std::all_of(extensions.begin(), extensions.end(), [&](const QString& extension) {
            return platform::IsNonEmptyFile(ArticlePath(i, row, extension), spaceFolder_);
        });
    }

    // The article page, or nothing when the request failed or brought another page. The
    // pictures its body shows are taken for the picture fetch.
    std::optional<QString> FetchArticle(const ArticleRow& row) {
        std::optional<QString> page = GetPageToKeep(row.address);
        if (page && !IsArticlePage(*page)) {
            page.reset();
        }
        if (page && controls_.FetchPictures()) {
            articlePictures_.TakeArticle(ArticleBody(*page, row.category), row.address);
        }
        return page;
    }

    // An article saved before shows its pictures in its .html file; its .txt names the linked
    // ones.
    void TakeSavedPictures(int i, const ArticleRow& row, const QString& extension) {
        if (!controls_.FetchPictures()) {
            return;
        }
        constexpr qint64 kLargestArticleFile = 64LL << 20;
        const std::optional<std::string> saved = platform::ReadFileBeneath(
            spaceFolder_, ArticlePath(i, row, extension), kLargestArticleFile);
        if (!saved) {
            return;
        }
        if (extension == QLatin1String(".txt")) {
            articlePictures_.TakeSavedText(platform::FromAnsi(*saved), row.address);
        } else {
            articlePictures_.TakeArticle(platform::FromAnsi(*saved), row.address);
        }
    }

    // The pictures of the articles walked and the space's photos, once the articles are in.
    void SavePictures() {
        if (!controls_.FetchPictures()) {
            return;
        }
        const PictureSetting setting{
            spaceFolder_, address_, [this] { return controls_.WaitMs(); }, controls_.SkipSaved(),
            [this](const QString& status) { controls_.SetStatus(status); }};
        pictures_ = FetchPictures(articlePictures_.Addresses(), setting, controls_.Pump());
        outcome_.picturesSaved = pictures_->AllSaved();
    }

    // Two seconds whatever the wait box holds; the service took no faster requests.
    void Pause() { Delay(2, QStringLiteral("1000"), pump_); }

    void Progress(int number, const QString& what) {
        controls_.SetStatus(QStringLiteral("共有文章") +
                            QString::number(controls_.Articles().RowCount()) +
                            QStringLiteral("篇，正在保存第") + QString::number(number) + what);
    }

    QString ArticlePath(int i, const ArticleRow& row, const QString& extension) const {
        return CategoryFolderPath(spaceFolder_, row.category) + platform::kPathSeparator +
               ArticleFileName(i, row.title, extension);
    }

    // The file is written while the next article is fetched; its failure counts at the end.
    void QueueArticle(int i, const ArticleRow& row, const QString& extension, QStringList lines) {
        const QString path = PrepareFolder(i, row, extension);
        rowOfFile_[path] = i;
        // A category folder that is a link someone planted takes no article.
        files_.WriteAnsiLines(path, std::move(lines), spaceFolder_);
    }

    // Creates the category folder when missing. Returns the article file's path.
    QString PrepareFolder(int i, const ArticleRow& row, const QString& extension) {
        // A window closed during the last wait must not get any further file.
        if (controls_.Pump().StopRequested()) {
            throw platform::RunStopped{};
        }
        const QString folder = CategoryFolderPath(spaceFolder_, row.category);
        if (!platform::PathExists(folder)) {
            platform::CreateFolder(folder);
        }
        return ArticlePath(i, row, extension);
    }

    ArticleWindowControls& controls_;
    const QString address_;  // of the space listed, whatever the address box holds now
    const QString spaceFolder_;
    SaveOutcome outcome_;
    std::vector<RowOutcome> noted_;     // what became of each row walked, for the save record
    std::map<QString, int> rowOfFile_;  // the row each file handed to the writer belongs to
    std::set<int> unwrittenRows_;
    int lastRow_ = 0;
    bool convertWritten_ = false;  // each .html written goes on to become a Word document
    // Files handed over before a stop are still written: their pages came in whole.
    platform::BackgroundWriter files_;
    ArticlePictures articlePictures_;         // shown by the articles walked
    std::optional<PictureOutcome> pictures_;  // once fetched
    // Ahead of the pump that polls it; a stopped save drops it and LibreOffice with it.
    WordDocQueue wordDocs_;
    ConvertingPump pump_;
};

}  // namespace

SaveOutcome RunArticleSave(ArticleWindowControls& controls) {
    // The catalogue said the space does not exist and left the status saying so: a save would
    // make a folder and a reading copy for nothing.
    if (controls.ListedCatalogue().spaceMissing) {
        return {};
    }
    // A format typed while the catalogue ran reaches here unchecked; "保存完毕！" would lie.
    if (!kSaveFormats.contains(controls.SaveFormat())) {
        controls.SetStatus(UnknownFormatCaption(controls.SaveFormat()));
        return {};
    }
    return SaveRun(controls).Run();
}

QString UnknownFormatCaption(const QString& format) {
    return QStringLiteral("未知的保存格式“%1”：请选择 %2 或 %3")
        .arg(format, kSaveFormats.mid(0, kSaveFormats.size() - 1).join(QStringLiteral("、")),
             kSaveFormats.last());
}
