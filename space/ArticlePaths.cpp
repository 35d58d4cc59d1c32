#include "space/ArticlePaths.h"

#include "app/SafeNames.h"

namespace {

// The Word document is named after the .html file, so every name leaves room for both.
const QString kLongestExtension = QStringLiteral(".html.doc");

}  // namespace

QString CategoryFolderPath(const QString& spaceFolder, const QString& category) {
    return spaceFolder + SafeName(category);
}

QString ArticleFileName(int row, const QString& title, const QString& extension) {
    const QString prefix = QString::number(row) + QChar(' ');
    const int room = kMaxNameBytes - static_cast<int>(prefix.toUtf8().size()) -
                     static_cast<int>(kLongestExtension.toUtf8().size());
    // The row number in front already keeps the name clear of "." and "..".
    return prefix + CutToUtf8Bytes(WithHarmlessCharacters(title), room) + extension;
}
