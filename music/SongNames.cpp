#include "music/SongNames.h"

#include <QSet>

#include "app/SafeNames.h"

namespace {

const QChar kReplacement = QChar('_');

// Refused in a name on Windows and FAT disks, besides the separators and control characters
// that WithHarmlessCharacters already replaces.
bool IsRefusedOnOtherDisks(QChar c) {
    return QStringLiteral("<>:\"|?*").contains(c);
}

// Windows drops a trailing dot or blank, so such a name would be another file there.
QString WithoutTrailingDotsOrBlanks(QString name) {
    for (qsizetype i = name.size() - 1; i >= 0 && (name[i] == '.' || name[i] == ' '); --i) {
        name[i] = kReplacement;
    }
    return name;
}

// Device names that Windows reserves, with any extension.
bool IsReservedDeviceName(const QString& name) {
    static const QSet<QString> reserved = [] {
        QSet<QString> names{"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
        for (int digit = 1; digit <= 9; ++digit) {
            names << QStringLiteral("COM%1").arg(digit) << QStringLiteral("LPT%1").arg(digit);
        }
        return names;
    }();
    const QString base = name.section(QChar('.'), 0, 0).trimmed().toUpper();
    return reserved.contains(base);
}

int Utf8Bytes(const QString& text) {
    return static_cast<int>(text.toUtf8().size());
}

// The name with the tag (such as "(2)") before its extension, its stem cut so that the whole
// stays within the bytes a name may have; the extension is kept, so the song still plays.
QString WithinNameLength(const QString& name, const QString& tag = {}) {
    // A long "extension" is no extension; a cut may then take it.
    constexpr int kMaxExtensionBytes = 32;
    const qsizetype dot = name.lastIndexOf(QChar('.'));
    const bool hasExtension = dot > 0 && Utf8Bytes(name.mid(dot)) <= kMaxExtensionBytes;
    const QString extension = hasExtension ? name.mid(dot) : QString();
    const QString stem = hasExtension ? name.left(dot) : name;
    const int room = kMaxNameBytes - Utf8Bytes(tag) - Utf8Bytes(extension);
    return CutToUtf8Bytes(stem, room) + tag + extension;
}

QString PortableName(const QString& text) {
    QString name = WithHarmlessCharacters(text);
    for (QChar& c : name) {
        if (IsRefusedOnOtherDisks(c)) {
            c = kReplacement;
        }
    }
    if (name.isEmpty()) {
        return QString(kReplacement);
    }
    if (IsReservedDeviceName(name)) {
        name.prepend(kReplacement);
    }
    return WithoutTrailingDotsOrBlanks(WithinNameLength(name));
}

QString NumberedName(const QString& name, int n) {
    return WithinNameLength(name, QStringLiteral("(%1)").arg(n));
}

QString Key(const QString& name) {
    return name.toCaseFolded();
}

}  // namespace

QString SongFileName(const QString& address) {
    return PortableName(address.mid(address.lastIndexOf(QChar('/')) + 1));
}

QStringList SongFileNames(const QStringList& addresses) {
    QStringList names(addresses.size());
    QSet<QString> taken;
    for (qsizetype i = 0; i < addresses.size(); ++i) {
        const QString name = SongFileName(addresses[i]);
        const bool real = name == addresses[i].mid(addresses[i].lastIndexOf(QChar('/')) + 1);
        if (real && !taken.contains(Key(name))) {
            taken.insert(Key(name));
            names[i] = name;
        }
    }
    for (qsizetype i = 0; i < addresses.size(); ++i) {
        if (!names[i].isEmpty()) {
            continue;
        }
        const QString name = SongFileName(addresses[i]);
        QString candidate = name;
        for (int n = 2; taken.contains(Key(candidate)); ++n) {
            candidate = NumberedName(name, n);
        }
        taken.insert(Key(candidate));
        names[i] = candidate;
    }
    return names;
}
