#include "space/PictureNames.h"

#include <QCryptographicHash>
#include <QUrl>

#include "app/SafeNames.h"
#include "space/PictureType.h"

namespace {

constexpr int kMostPieceBytes = 64;
constexpr int kHashDigits = 12;

// The last piece of the path, without query, fragment or picture extension.
QString LastPiece(const QString& address) {
    QString path = QUrl(address).path();
    if (path.isEmpty()) {
        path = address;
    }
    QString piece = path.mid(path.lastIndexOf(QChar('/')) + 1);
    const qsizetype dot = piece.lastIndexOf(QChar('.'));
    static const QStringList extensions{".jpg", ".jpeg", ".png", ".gif", ".bmp", ".webp"};
    if (dot > 0 && extensions.contains(piece.mid(dot).toLower())) {
        piece.truncate(dot);
    }
    return piece;
}

QString Portable(QString piece) {
    for (QChar& c : piece) {
        const bool kept =
            c.isLetterOrNumber() || c == QChar('-') || c == QChar('_') || c == QChar('.');
        if (!kept) {
            c = QChar('_');
        }
    }
    if (piece.startsWith(QChar('.'))) {
        piece[0] = QChar('_');
    }
    return CutToUtf8Bytes(piece, kMostPieceBytes);
}

}  // namespace

QString PictureFileStem(const QString& address) {
    const QByteArray hash =
        QCryptographicHash::hash(address.toUtf8(), QCryptographicHash::Sha1).toHex();
    const QString piece = Portable(LastPiece(address));
    return (piece.isEmpty() ? QString() : piece + QChar('_')) +
           QString::fromLatin1(hash.left(kHashDigits));
}

QStringList PictureFileNames(const QString& stem) {
    QStringList names;
    for (const PictureType type : {PictureType::Jpeg, PictureType::Png, PictureType::Gif,
                                   PictureType::Bmp, PictureType::Webp}) {
        names << stem + PictureExtension(type);
    }
    return names;
}
