#include "app/SafeNames.h"

#include "app/SpaceAddress.h"
#include "platform/FileSystem.h"

namespace {

const QChar kReplacement = QChar('_');
bool IsHarmful(QChar c) {
    // Backslash too: it separates folders where the saved tree may be copied to.
    return c == QChar('/') || c == QChar('\\') || c.unicode() < 0x20 || c.unicode() == 0x7F;
}

int Utf8Length(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80) {
        return 1;
    }
    return u < 0x800 ? 2 : 3;
}

}  // namespace

QString CutToUtf8Bytes(const QString& text, int maxBytes) {
    int bytes = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const bool pair =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const int length = pair ? 4 : Utf8Length(text[i]);
        if (bytes + length > maxBytes) {
            break;
        }
        bytes += length;
        i += pair ? 2 : 1;
    }
    return text.left(i);
}

QString WithHarmlessCharacters(QString name) {
    // Lone surrogates have no UTF-8 form: the file system would get another name.
    for (qsizetype i = 0; i < name.size(); ++i) {
        const bool pair =
            name[i].isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate();
        if (pair) {
            ++i;
        } else if (IsHarmful(name[i]) || name[i].isSurrogate()) {
            name[i] = kReplacement;
        }
    }
    return name;
}

QString SafeName(const QString& name, int maxBytes) {
    QString safe = WithHarmlessCharacters(name);
    if (safe == QStringLiteral(".") || safe == QStringLiteral("..")) {
        safe.fill(kReplacement);
    }
    return CutToUtf8Bytes(safe, maxBytes);
}

QString SpaceFolderName(const QString& address) {
    QString name = SpaceName(address);
    // An address copied from a browser may end in "/"; the folder is the same space's.
    while (name.endsWith(QChar('/')) || name.endsWith(QChar('\\'))) {
        name.chop(1);
    }
    return SafeName(name);
}

QString SpaceFolderPath(const QString& appFolder, const QString& address) {
    return appFolder + platform::kPathSeparator + SpaceFolderName(address) +
           platform::kPathSeparator;
}
