// Which pictures an article body shows, read from hostile bodies too, and the names and kinds
// their files get.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QUrl>

#include "space/PictureAddresses.h"
#include "space/PictureNames.h"
#include "space/PictureType.h"

namespace {

const QString kArticle =
    QStringLiteral("http://hi.baidu.com/jiaoliao/blog/item/0123456789abcdef.html");
const QString kFull =
    QStringLiteral("http://hiphotos.baidu.com/jiaoliao/pic/item/7b048cfba906b1c792e26ec5.jpg");
const QString kThumbnail =
    QStringLiteral("http://hiphotos.baidu.com/jiaoliao/abpic/item/7b048cfba906b1c792e26ec5.jpg");

QStringList Pictures(const QString& body) {
    return PicturesInBody(body, kArticle);
}

TEST(PicturesInBody, EverySourceAndTheFullPictureBehindAThumbnailOnceInAnyCaseOrQuoting) {
    const QString body =
        "<p>看图：</p><div forimg=\"1\"><a href=\"" + kFull +
        "\" target=\"_blank\"><img border=\"0\" class=\"blogimg\" small=\"0\" src=\"" + kThumbnail +
        "\"/></a>"
        // Upper case, single quotes, no quotes, blanks around "=", a repeated attribute.
        "<IMG SRC='http://img.pagewren.test/a.png'><img src=http://img.pagewren.test/b.gif "
        "alt=x><img alt='' src = \"http://img.pagewren.test/c.jpg\" src=\"http://evil.test/d\">"
        // The same pictures again, one with its host in capitals; a reference in an address.
        "<img src=\"" +
        kThumbnail +
        "\"><img src=\"HTTP://IMG.pagewren.test/a.png\"><img src=\"http://img.pagewren.test/"
        "e.jpg?w=1&amp;h=2\">"
        // Relative to the article; a link to a page holds no picture, its picture comes.
        "<img src=\"/jiaoliao/pic/f.jpg\"><img src=\"//img.pagewren.test/g.jpg\">"
        "<a href=\"http://www.example.com/\"><img src=\"http://img.pagewren.test/h.jpg\"></a>"
        "<image src=\"http://img.pagewren.test/i.jpg\">";
    EXPECT_EQ(
        Pictures(body),
        (QStringList{kThumbnail, kFull, "http://img.pagewren.test/a.png",
                     "http://img.pagewren.test/b.gif", "http://img.pagewren.test/c.jpg",
                     "http://img.pagewren.test/e.jpg?w=1&h=2",
                     "http://hi.baidu.com/jiaoliao/pic/f.jpg", "http://img.pagewren.test/g.jpg",
                     "http://img.pagewren.test/h.jpg", "http://img.pagewren.test/i.jpg"}));
}

TEST(PicturesInBody, HostileBodiesEndAtOnceAndNameNothingButWebPictures) {
    // Schemes that are no web's, however written, and a link that is no picture's.
    EXPECT_EQ(Pictures("<img src=\"javascript:alert(1)\"><img src=' JaVa&#x53;cript:x'>"
                       "<img src=\"java\tscript:x\"><img src=\"data:image/gif;base64,R0lGOD\">"
                       "<img src=\"file:///etc/passwd\"><img src=\"ftp://h/x.jpg\"><img src>"
                       "<a href=\"javascript:x.jpg\"><img src=\"http://h.test/1.jpg\"></a>"),
              QStringList{"http://h.test/1.jpg"});
    // What a browser never shows: comments, scripts, styles, text areas, a tag the body ends in.
    EXPECT_EQ(Pictures("<!-- <img src=\"http://h.test/c.jpg\"> --><script>var s = '<img "
                       "src=\"http://h.test/s.jpg\">';</script ><style>a{}</style><textarea><img "
                       "src=http://h.test/t.jpg></textarea><img src=\"http://h.test/ok.jpg\">"
                       "<img src=\"http://h.test/cut.jpg\""),
              QStringList{"http://h.test/ok.jpg"});
    for (const QString& cut : {QStringLiteral("<img src=\"http://h.test/x.jpg"),
                               QStringLiteral("<img src='http://h.test/x.jpg'"),
                               QStringLiteral("<!-- <img src=http://h.test/x.jpg>"),
                               QStringLiteral("<script><img src=http://h.test/x.jpg>"),
                               QStringLiteral("<img"), QStringLiteral("<"), QString()}) {
        EXPECT_TRUE(Pictures(cut).isEmpty()) << cut.toStdString();
    }
    // Traversal is the address's business, not the file's: it is taken as a browser reads it.
    EXPECT_EQ(
        Pictures("<img src=\"../../../../etc/passwd\"><img src=\"http://h.test/a/../../b.jpg\">"),
        (QStringList{"http://hi.baidu.com/etc/passwd", "http://h.test/a/../../b.jpg"}));
    // An address longer than any picture's is none.
    EXPECT_TRUE(Pictures("<img src=\"http://h.test/" + QString(5000, 'a') + "\">").isEmpty());

    // 100,000 pictures, half of them repeats: the first thousand are taken.
    QString many;
    for (int i = 0; i < 100000; ++i) {
        many += QStringLiteral("<img src=\"http://h.test/%1.jpg\">").arg(i / 2);
    }
    const QStringList taken = Pictures(many);
    ASSERT_EQ(taken.size(), kMostPicturesPerArticle);
    EXPECT_EQ(taken.last(),
              QStringLiteral("http://h.test/%1.jpg").arg(kMostPicturesPerArticle - 1));
    // 100,000 tags left open, and one attribute that never ends: nothing, and an end.
    EXPECT_TRUE(Pictures(QString("<img src=\"http://h.test/1.jpg\"").repeated(100000)).isEmpty());
    EXPECT_TRUE(Pictures("<img src=\"" + QString(1 << 20, 'x')).isEmpty());
}

TEST(PictureNames, EachAddressGetsItsOwnStableNameThatStaysInTheFolderOnAnyDisk) {
    // The thumbnail and the full picture share the id, not the name.
    EXPECT_NE(PictureFileStem(kThumbnail), PictureFileStem(kFull));
    EXPECT_EQ(PictureFileStem(kFull), PictureFileStem(kFull));
    EXPECT_TRUE(PictureFileStem(kFull).startsWith("7b048cfba906b1c792e26ec5_"));
    const QRegularExpression portable(QStringLiteral("^[\\w.\\-]+_[0-9a-f]{12}$"),
                                      QRegularExpression::UseUnicodePropertiesOption);
    for (const QString& address :
         {QStringLiteral("http://h.test/a/../../../etc/passwd"), QStringLiteral("http://h.test/.."),
          QStringLiteral("http://h.test/..%2F..%2Fescape.jpg"), QStringLiteral("http://h.test/"),
          QStringLiteral("http://h.test/CON.jpg"), QStringLiteral("http://h.test/a:b*c?d|e<f>.jpg"),
          QStringLiteral("http://h.test/trailing. "), QStringLiteral("http://h.test/照片 一.JPG"),
          QStringLiteral("http://h.test/\\..\\x.jpg"),
          QStringLiteral("http://h.test/") + QString(400, QChar(0x9E6A))}) {
        const QString stem = PictureFileStem(address);
        EXPECT_TRUE(portable.match(stem).hasMatch() || stem.size() == 12) << stem.toStdString();
        EXPECT_FALSE(stem.startsWith('.')) << stem.toStdString();
        EXPECT_LE((stem + ".webp").toUtf8().size(), 100) << stem.toStdString();
    }
    EXPECT_TRUE(PictureFileStem("http://h.test/照片 一.JPG").startsWith("照片_一_"));
    // No category can take the folder's name: category folders never hold a DEL.
    EXPECT_TRUE(kPictureFolderName.startsWith("图片") && kPictureFolderName.contains(QChar(0x7F)));
}

TEST(PictureType, ThePictureIsKnownByItsFirstBytesAloneAndPagesAreNone) {
    using namespace std::string_view_literals;
    EXPECT_EQ(PictureTypeOf("\xFF\xD8\xFF\xE0\0\x10JFIF\0"sv), PictureType::Jpeg);
    EXPECT_EQ(PictureTypeOf("\x89PNG\r\n\x1A\n\0\0\0\rIHDR"sv), PictureType::Png);
    EXPECT_EQ(PictureTypeOf("GIF89a\x01\0\x01\0"sv), PictureType::Gif);
    EXPECT_EQ(PictureTypeOf("RIFF\x24\0\0\0WEBPVP8 "sv), PictureType::Webp);
    EXPECT_EQ(PictureTypeOf("BM\x3A\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0"sv), PictureType::Bmp);
    for (const std::string_view none :
         {"<!DOCTYPE html><html>"sv, "BMW is a car maker."sv, "RIFF\x24\0\0\0WAVEfmt "sv, "GIF8"sv,
          "\xFF\xD8"sv, ""sv, "\xEF\xBB\xBF<html>"sv}) {
        EXPECT_FALSE(PictureTypeOf(none).has_value()) << none;
    }
    EXPECT_EQ(PictureExtension(PictureType::Jpeg), ".jpg");
}

}  // namespace
