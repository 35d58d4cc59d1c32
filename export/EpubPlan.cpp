#include <QSet>
#include <algorithm>

#include "export/Epub.h"
#include "export/XhtmlBody.h"
#include "platform/Http.h"

namespace {

// The media type of a saved picture by the extension the save gave it from its first bytes;
// empty for a kind no EPUB 3.2 reader need show (BMP, WebP).
QString MediaTypeOf(const QString& file) {
    const QString extension = file.section(QChar('.'), -1).toLower();
    if (extension == QLatin1String("jpg") || extension == QLatin1String("jpeg")) {
        return QStringLiteral("image/jpeg");
    }
    if (extension == QLatin1String("png") || extension == QLatin1String("gif")) {
        return QStringLiteral("image/") + extension;
    }
    return {};
}

QString Numbered(QChar letter, std::size_t number) {
    return letter + QStringLiteral("%1").arg(number, 5, 10, QChar('0'));
}

// The articles grouped by category, in the order the catalogue first lists each category.
std::vector<std::vector<const SavedArticle*>> ByCategory(const SavedSpace& space,
                                                         std::vector<QString>& names) {
    std::vector<std::vector<const SavedArticle*>> groups;
    QHash<QString, std::size_t> groupOf;
    for (const SavedArticle& article : space.articles) {
        if (!groupOf.contains(article.category)) {
            groupOf.insert(article.category, groups.size());
            groups.emplace_back();
            names.push_back(article.category);
        }
        groups[groupOf.value(article.category)].push_back(&article);
    }
    return groups;
}

void SortByDate(std::vector<const SavedArticle*>& articles) {
    std::vector<std::pair<QDateTime, const SavedArticle*>> dated;
    for (const SavedArticle* article : articles) {
        dated.emplace_back(ServiceDateTime(article->date), article);
    }
    std::stable_sort(dated.begin(), dated.end(), [](const auto& a, const auto& b) {
        if (a.first.isValid() != b.first.isValid()) {
            return a.first.isValid();
        }
        return a.first.isValid() && a.first < b.first;
    });
    for (std::size_t i = 0; i < dated.size(); ++i) {
        articles[i] = dated[i].second;
    }
}

// Takes into the plan the pictures the article shows that the book can hold, asked as the
// book's page of the article will ask for them.
void AddPictures(const QString& spaceFolder, const SavedSpace& space,
                 const QHash<QString, std::size_t>& savedPictures, const BookArticle& article,
                 BookPlan& plan) {
    const auto take = [&](const QString& address) {
        const auto saved = savedPictures.constFind(address);
        if (plan.pictureOf.contains(address) || saved == savedPictures.constEnd()) {
            return BookPictureLink(plan, address);
        }
        const SavedPicture& picture = space.pictures[*saved];
        const QString mediaType = MediaTypeOf(picture.file);
        if (picture.file.isEmpty() || mediaType.isEmpty()) {
            return QString();
        }
        const QString id = Numbered(QChar('p'), plan.pictures.size() + 1);
        const QString extension = picture.file.section(QChar('.'), -1).toLower();
        plan.pictureOf.insert(address, static_cast<qsizetype>(plan.pictures.size()));
        plan.pictures.push_back(
            {picture.file, QStringLiteral("images/") + id + QChar('.') + extension, id, mediaType});
        return BookPictureLink(plan, address);
    };
    BodyAsXhtml(ReadArticleBody(spaceFolder, *article.article), article.article->address, take,
                kBookPictures);
}

}  // namespace

BookPlan PlanBook(const QString& spaceFolder, const SavedSpace& space) {
    BookPlan plan;
    QHash<QString, std::size_t> savedPictures;
    for (std::size_t i = 0; i < space.pictures.size(); ++i) {
        savedPictures.insert(space.pictures[i].address, i);
    }
    std::vector<QString> names;
    std::vector<std::vector<const SavedArticle*>> groups = ByCategory(space, names);
    for (std::size_t g = 0; g < groups.size(); ++g) {
        SortByDate(groups[g]);
        plan.categories.push_back({names[g], plan.articles.size(), groups[g].size()});
        for (const SavedArticle* article : groups[g]) {
            const QString id = Numbered(QChar('a'), plan.articles.size() + 1);
            platform::StopIfRequested();
            plan.articles.push_back({article, QStringLiteral("text/") + id + ".xhtml", id});
            AddPictures(spaceFolder, space, savedPictures, plan.articles.back(), plan);
        }
    }
    return plan;
}

QString BookPictureLink(const BookPlan& plan, const QString& address) {
    const auto at = plan.pictureOf.constFind(address);
    return at == plan.pictureOf.constEnd()
               ? QString()
               : QStringLiteral("../") + plan.pictures[static_cast<std::size_t>(*at)].file;
}
