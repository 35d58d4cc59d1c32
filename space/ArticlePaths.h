#pragma once

#include <QString>

// The folder of a category beneath the space folder.
QString CategoryFolderPath(const QString& spaceFolder, const QString& category);

// The file of article row `row`: the row number, a blank, the title and the extension, with
// separators and control characters in the title made "_" and the title shortened so that
// the name with ".html.doc" still fits in one file name.
QString ArticleFileName(int row, const QString& title, const QString& extension);
