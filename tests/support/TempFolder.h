#pragma once

#include <QDirIterator>
#include <QStringList>
#include <QTemporaryDir>
#include <fstream>
#include <iterator>
#include <string>

#include "reading/ReadingNames.h"

// A fresh application folder for one test, removed afterwards.
class TempFolder {
public:
    QString Path() const { return dir_.path(); }
    std::string File(const QString& name) const { return (Path() + "/" + name).toStdString(); }

    void Write(const QString& name, const std::string& bytes) const {
        std::ofstream(File(name), std::ios::binary) << bytes;
    }

    std::string Read(const QString& name) const {
        std::ifstream in(File(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // Every file beneath the folder, as sorted paths relative to it, less the reading copy and
    // the save record that every save writes beside what it saved.
    QStringList Files() const {
        QStringList files;
        QDirIterator it(Path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString file = QDir(Path()).relativeFilePath(it.next());
            const QString name = file.section(QChar('/'), -1);
            if (!file.contains(kReadingFolderName) && name != kStartPageName &&
                name != kSaveRecordName) {
                files << file;
            }
        }
        files.sort();
        return files;
    }

private:
    QTemporaryDir dir_;
};
