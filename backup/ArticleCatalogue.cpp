#include "backup/ArticleCatalogue.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <set>

#include "app/CategoryWalk.h"
#include "app/PageFetcher.h"
#include "app/PageNumbers.h"
#include "app/SpaceAddress.h"
#include "app/SpaceExistence.h"
#include "app/modcut.h"
#include "app/moddelay.h"
#include "backup/ArchiveIndex.h"
#include "backup/ArticleSave.h"
#include "backup/ArticleWindowControls.h"
#include "backup/CategoryPager.h"
#include "backup/ListingWalk.h"
#include "platform/ReportList.h"

namespace {

constexpr int kMaxShort = 32767;
// Answered listing pages in a row without a new article, past those the count needs, that
// end a category's walk.
constexpr int kEmptyPagesToStop = 3;

// The source cell of a row found through the archive's index rather than the catalogue.
const QString kFromIndex = QStringLiteral("存档索引");
constexpr int kSourceCell = 5;

// Characters of a title that no file name may hold, as the catalogue rewrites them.
QString CleanTitle(QString title) {
    return title.replace(QStringLiteral(":"), QStringLiteral("："))
        .replace(QStringLiteral("?"), QStringLiteral(" "))
        .replace(QStringLiteral("&#39;"), QStringLiteral("'"))
        .replace(QStringLiteral("&#92;"), QStringLiteral(" "))
        .replace(QStringLiteral("/"), QStringLiteral(" "));
}

// The id of an article row's address: what lies between "/blog/item/" and ".html".
QString ArticleIdOf(const QString& address) {
    return CutBetween(address, QStringLiteral("/blog/item/"), QStringLiteral(".html"));
}

// The category an article page names after "类别：", without the markup around it.
QString CategoryOnArticlePage(const QString& page) {
    QString name = CutBetween(page, QStringLiteral("类别："), QStringLiteral("</div>"));
    name = name.left(name.indexOf(QStringLiteral("<span")));
    name.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    return name.trimmed();
}

// One run's working values; they live for the whole run, so a step that fails leaves
// what an earlier step put there.
class CatalogueRun {
public:
    explicit CatalogueRun(ArticleWindowControls& controls) : controls_(controls) {}

    CatalogueOutcome Run() {
        controls_.Categories().Clear();
        controls_.Articles().Clear();
        controls_.SetListedCatalogue({});
        // The run lists one space from start to end, whatever is typed into the box meanwhile.
        address_ = controls_.Address();
        controls_.SetListedAddress(address_);
        // A press of the save button while the list is made would be ignored: it shows it.
        controls_.SetSaveEnabled(false);
        total_ = 0;
        if (IsUsableAddress(address_)) {
            if (!ListCategories()) {
                // Nothing to list or save, so the save stays disabled and refuses the list.
                controls_.SetStatus(NoSpaceCaption(laterLayout_));
                controls_.SetListedCatalogue({.spaceMissing = true});
                return {.spaceMissing = true};
            }
            summary_ = QStringLiteral("您的空间共") + QString::number(categoryCount_) +
                       QStringLiteral("文章分类，共") + QString::number(total_) +
                       QStringLiteral("篇文章");
            controls_.SetStatus(summary_);
            ListArticles();
            AddArticlesFromIndex();
        }
        const CatalogueOutcome outcome{
            .unreadPages = fetcher_.FailedCount() + (indexFailed_ ? 1 : 0),
            .fromIndex = fromIndex_,
            .indexFilledGaps = fromIndex_ > 0 && ListHoldsEveryCountedArticle()};
        ShowSummary(outcome);
        controls_.SetListedCatalogue(outcome);
        if (controls_.OneClickBackup()) {
            RunArticleSave(controls_);
        }
        controls_.SetSaveEnabled(true);
        return outcome;
    }

private:
    void Wait() {
        Delay(1, WaitText([this] { return controls_.WaitMs(); }), controls_.Pump());
    }

    // Returns false when the blog page is no space's: the address names no space.
    bool ListCategories() {
        const SpacePageAnswer answer =
            FetchSpacePage(SpacePageAddress(address_, QStringLiteral("/blog")), &IsSpaceBlogPage);
        if (answer.verdict == SpacePageVerdict::NotTheSpace) {
            laterLayout_ = answer.laterLayout;
            return false;
        }
        fetcher_.CountUnread(answer.verdict == SpacePageVerdict::Unread);
        const QString& blogPage = answer.text;
        perPage_ = ToShort(CutBetween(blogPage, QStringLiteral("key1="), QStringLiteral("\"")))
                       .value_or(perPage_);
        CategoryWalk categories(blogPage);
        categoryCount_ = categories.Count();
        controls_.SetStatus(QStringLiteral("您的空间共") + QString::number(categoryCount_) +
                            QStringLiteral("文章分类"));
        // The counter is 16 bits wide; passing its limit ends the loop.
        const int bound = std::min(categoryCount_, kMaxShort);
        for (int i = 1; i <= bound; ++i) {
            ListCategory(categories.Next());
        }
        return true;
    }

    void ListCategory(const CategoryEntry& category) {
        platform::ReportList& rows = controls_.Categories();
        const int row = rows.AddNumberedRow();
        rows.SetCell(row, 1, category.name);
        rows.SetCell(row, 2, category.count);
        rows.SetCell(row, 4, category.link);

        bool isNumber = false;
        const double articles = rows.Cell(row, 2).trimmed().toDouble(&isNumber);
        if (const auto sum = FitShort(articles + total_); isNumber && sum) {
            total_ = *sum;
        }
        const QString address = rows.Cell(row, 4);
        const QString categoryPage = fetcher_.FetchServicePage(QStringLiteral("/") + address);
        ReadLastPageIndex(categoryPage, address, pager_);
        rows.SetCell(row, 3, pager_.pageIndex);
        Wait();
    }

    void ListArticles() {
        const int bound = std::min(controls_.Categories().RowCount(), kMaxShort);
        for (int k = 1; k <= bound; ++k) {
            const QString pages = controls_.Categories().Cell(k, 3);
            bool isNumber = false;
            const double lastIndex = pages.trimmed().toDouble(&isNumber);
            if (!isNumber || lastIndex == 0) {
                ReadListingPage(k, controls_.Categories().Cell(k, 4), ListingForm::Single);
                continue;
            }
            // An index beyond 16 bits cannot bound the loop, so no page is read: the articles
            // the count promised are then unread.
            const Short last = ToShort(pages).value_or(-1);
            fetcher_.CountUnread(last < 0 && PromisesArticles(k));
            ReadListingPages(k, last);
        }
    }

    // Reads listing pages 0 to last of the category. A page bar naming a page far beyond
    // what the category's count needs (broken or hostile) would cost a request per page for
    // nothing: past the pages the count needs, three answered pages in a row that list no new
    // article end the walk.
    void ReadListingPages(int category, int last) {
        const double count = controls_.Categories().Cell(category, 2).trimmed().toDouble();
        const double needed = perPage_ > 0 ? std::ceil(count / perPage_) : 0;
        int emptyInARow = 0;
        for (int j = 0; j <= last; ++j) {
            const ListingRead read =
                ReadListingPage(category,
                                controls_.Categories().Cell(category, 4) +
                                    QStringLiteral("/index/") + QString::number(j),
                                ListingForm::Paged);
            emptyInARow = read.listed > 0 ? 0 : emptyInARow + (read.answered ? 1 : 0);
            if (j >= needed && emptyInARow == kEmptyPagesToStop) {
                return;
            }
        }
    }

    struct ListingRead {
        int listed = 0;         // new articles
        bool answered = false;  // the request was answered with a page
    };

    // Reads the listing page at the service root + path and walks its entries. A page that
    // was answered but lists no article of a category whose count promised some (an archive's
    // placeholder answered with success, a blog page without its per-page count) is an unread
    // page, as a failed request is.
    ListingRead ReadListingPage(int category, const QString& path, ListingForm form) {
        const int failedBefore = fetcher_.FailedCount();
        listing_ = ListingWalk(fetcher_.FetchServicePage(path), form);
        int listed = 0;
        int entries = 0;
        for (int m = 1; m <= perPage_; ++m) {
            const Step step = ArticleStep(category, form);
            listed += step == Step::Listed ? 1 : 0;
            entries += step == Step::NoEntry ? 0 : 1;
        }
        const bool answered = fetcher_.FailedCount() == failedBefore;
        fetcher_.CountUnread(answered && entries == 0 && PromisesArticles(category));
        return {listed, answered};
    }

    bool PromisesArticles(int category) {
        return controls_.Categories().Cell(category, 2).trimmed().toDouble() > 0;
    }

    enum class Step { NoEntry, ListedBefore, Listed };

    // Lists the next entry of the listing page, unless it names an article listed before (a
    // listing that links one article many times lists it once).
    Step ArticleStep(int category, ListingForm form) {
        const ListingEntry entry = listing_.Next();
        if (entry.id.isEmpty()) {
            return Step::NoEntry;
        }
        if (!listedIds_.insert(entry.id).second) {
            return Step::ListedBefore;
        }
        platform::ReportList& rows = controls_.Articles();
        const int row = rows.AddNumberedRow();
        const QString address = SpacePageAddress(
            address_, QStringLiteral("/blog/item/") + entry.id + QStringLiteral(".html"));
        rows.SetCell(row, 4, address);
        if (form == ListingForm::Single) {
            TitleFromArticlePage(fetcher_.Fetch(address));
        } else {
            title_ = entry.title;
        }
        title_ = CleanTitle(title_);
        rows.SetCell(row, 1, title_);
        Wait();
        rows.SetCell(row, 2, controls_.Categories().Cell(category, 1));
        rows.SetCell(row, 3, entry.date);
        const QString middle = form == ListingForm::Single ? QStringLiteral("篇文章，标题为《")
                                                           : QStringLiteral("篇，标题为《");
        controls_.SetStatus(QStringLiteral("正在获取第") + QString::number(row) + middle + title_ +
                            QStringLiteral("》"));
        return Step::Listed;
    }

    // Archives capture article pages far more often than the listing pages that link them:
    // the archive's index names the articles a missing listing page hid.
    void AddArticlesFromIndex() {
        const std::optional<IndexedArticles> indexed =
            ListArchivedArticles(SpaceName(address_), [this] { Wait(); });
        if (!indexed) {
            return;
        }
        std::set<QString> listed;
        for (int row = 1; row <= controls_.Articles().RowCount(); ++row) {
            listed.insert(ArticleIdOf(controls_.Articles().Cell(row, 4)));
        }
        indexFailed_ = indexed->failed;
        for (const QString& id : indexed->ids) {
            if (!listed.contains(id)) {
                Wait();
                AddIndexedArticle(id);
            }
        }
    }

    // Lists an article the index named with the title, category and date its own page gives;
    // a page that cannot be read is counted and listed not.
    void AddIndexedArticle(const QString& id) {
        const QString address = SpacePageAddress(
            address_, QStringLiteral("/blog/item/") + id + QStringLiteral(".html"));
        const QString page = fetcher_.Fetch(address);
        if (!page.contains(QStringLiteral("查看文章"))) {
            return;
        }
        platform::ReportList& rows = controls_.Articles();
        const int row = rows.AddNumberedRow();
        TitleFromArticlePage(page);
        title_ = CleanTitle(title_);
        rows.SetCell(row, 1, title_);
        rows.SetCell(row, 2, CategoryOnArticlePage(page));
        rows.SetCell(
            row, 3,
            CutBetween(page, QStringLiteral("<div class=\"date\">"), QStringLiteral("</div>")));
        rows.SetCell(row, 4, address);
        rows.SetCell(row, kSourceCell, kFromIndex);
        ++fromIndex_;
        controls_.SetStatus(QStringLiteral("正在从存档索引获取第") + QString::number(fromIndex_) +
                            QStringLiteral("篇，标题为《") + title_ + QStringLiteral("》"));
    }

    // The share of the counted articles listed, those the index found included, and what the
    // run could not read. The window shows one line of about 46 characters: with articles
    // from the index the notes are put shortly, so that the whole text stays readable.
    void ShowSummary(const CatalogueOutcome& outcome) {
        if (total_ != 0) {
            const int found = controls_.Articles().RowCount();
            summary_ = QStringLiteral("你的空间共") + QString::number(categoryCount_) +
                       QStringLiteral("文章分类，共获取") + QString::number(found) +
                       QStringLiteral("篇文章！！，成功获取率为") +
                       FormatRate(found / static_cast<double>(total_) * 100.0) +
                       QStringLiteral("%");
        }
        // Pages that could not be read would otherwise pass for an empty or smaller space.
        QString notes =
            fromIndex_ == 0 ? fetcher_.FailureNote() : RecoveredNote(outcome.indexFilledGaps);
        if (indexFailed_) {
            notes += QStringLiteral("，存档索引读取失败");
        }
        if (total_ != 0 || !notes.isEmpty()) {
            controls_.SetStatus(summary_ + notes);
        }
    }

    QString RecoveredNote(bool filledGaps) const {
        QString note;
        if (fetcher_.FailedCount() > 0) {
            note = QStringLiteral("，") + QString::number(fetcher_.FailedCount()) +
                   QStringLiteral(" 页未读");
        }
        const QString count = QString::number(fromIndex_);
        return note + (filledGaps
                           ? QStringLiteral("，") + count + QStringLiteral(" 篇由存档索引补全")
                           : QStringLiteral("，存档索引找回 ") + count + QStringLiteral(" 篇"));
    }

    // Whether the articles listed under each category's name make up the count its entry on
    // the blog page promised (a count that is no number promises what nobody knows).
    bool ListHoldsEveryCountedArticle() const {
        const platform::ReportList& categories = controls_.Categories();
        const platform::ReportList& articles = controls_.Articles();
        std::map<QString, double> listed;
        for (int row = 1; row <= articles.RowCount(); ++row) {
            ++listed[articles.Cell(row, 2)];
        }
        for (int k = 1; k <= categories.RowCount(); ++k) {
            bool isNumber = false;
            const double promised = categories.Cell(k, 2).trimmed().toDouble(&isNumber);
            double& left = listed[categories.Cell(k, 1)];
            if (!isNumber || left < promised) {
                return false;
            }
            left -= promised;
        }
        return categories.RowCount() > 0;
    }

    // The page title runs from "<title>" to the first "_" of the page; when that "_" does
    // not follow, the title of the previous article stays.
    void TitleFromArticlePage(const QString& page) {
        const int start = PositionOf(page, QStringLiteral("<title>")) + 7;
        const int length = PositionOf(page, QStringLiteral("_")) - start;
        if (length >= 0) {
            title_ = page.mid(start - 1, length);
        }
    }

    ArticleWindowControls& controls_;
    QString address_;  // the address the run lists
    QString summary_;  // the count of categories and articles, once the blog page was read
    // Its blog page was a capture of the later layout.
    bool laterLayout_ = false;
    PageFetcher fetcher_;
    ListingWalk listing_;
    std::set<QString> listedIds_;
    Short perPage_ = 0;
    int categoryCount_ = 0;
    Short total_ = 0;
    PagerValues pager_;
    QString title_;
    int fromIndex_ = 0;
    bool indexFailed_ = false;
};

}  // namespace

QString FormatRate(double percent) {
    const double hundredths = std::round(std::abs(percent) * 100.0);
    const auto whole = static_cast<long long>(hundredths / 100.0);
    const auto decimals = static_cast<int>(hundredths - static_cast<double>(whole) * 100.0);
    QString text = (percent < 0 && hundredths > 0 ? QStringLiteral("-") : QString()) +
                   QString::number(whole) + QStringLiteral(".");
    if (decimals > 0) {
        text += QStringLiteral("%1").arg(decimals, 2, 10, QChar('0'));
        if (text.endsWith(QChar('0'))) {
            text.chop(1);
        }
    }
    return text;
}

CatalogueOutcome RunArticleCatalogue(ArticleWindowControls& controls) {
    return CatalogueRun(controls).Run();
}
