#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

// The pictures the articles of one save show, gathered as the save goes, each address once in
// the order it first came, however many articles show it.
class ArticlePictures {
public:
    // Takes the pictures of a saved article's body (PicturesInBody).
    void TakeArticle(const QString& body, const QString& articleAddress);

    // Takes the pictures a saved .txt file names on its "图片地址：" lines, whose addresses the
    // file keeps with full-width colons: the linked pictures of its article.
    void TakeSavedText(const QString& text, const QString& articleAddress);

    const QStringList& Addresses() const { return addresses_; }

private:
    void Take(const QString& address);

    QSet<QString> seen_;
    QStringList addresses_;
};
