#include "pictures/ArticlePictures.h"

#include <QUrl>

#include "space/PictureAddresses.h"

void ArticlePictures::TakeArticle(const QString& body, const QString& articleAddress) {
    for (const QString& address : PicturesInBody(body, articleAddress)) {
        Take(address);
    }
}

void ArticlePictures::TakeSavedText(const QString& text, const QString& articleAddress) {
    const QString label = QStringLiteral("图片地址：");
    const QUrl base(articleAddress);
    int taken = 0;
    for (qsizetype at = text.indexOf(label); at >= 0 && taken < kMostPicturesPerArticle;
         at = text.indexOf(label, at + label.size())) {
        const qsizetype start = at + label.size();
        const qsizetype end = text.indexOf(QLatin1String("\r\n"), start);
        QString written = text.mid(start, end < 0 ? -1 : end - start);
        if (const auto address = PictureAddress(written.replace(QStringLiteral("："), ":"), base)) {
            Take(*address);
            ++taken;
        }
    }
}

void ArticlePictures::Take(const QString& address) {
    if (!seen_.contains(address)) {
        seen_.insert(address);
        addresses_ << address;
    }
}
