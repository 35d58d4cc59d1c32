#include "pictures/ArticlePictures.h"

#include <QUrl>

#include "space/PictureAddresses.h"
#include "space/SavedFiles.h"

void ArticlePictures::TakeArticle(const QString& body, const QString& articleAddress) {
    for (const QString& address : PicturesInBody(body, articleAddress)) {
        Take(address);
    }
}

void ArticlePictures::TakeSavedText(const QString& text, const QString& articleAddress) {
    const QUrl base(articleAddress);
    int taken = 0;
    for (const QString& line : ParseSavedText(text).content.split(QStringLiteral("\r\n"))) {
        const QString written = SavedTextPicture(line);
        const auto address = written.isEmpty() ? std::nullopt : PictureAddress(written, base);
        if (address && taken < kMostPicturesPerArticle) {
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
