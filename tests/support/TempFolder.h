#pragma once

#include <QDirIterator>
#include <QStringList>
#include <QTemporaryDir>
#include <fstream>
#include <iterator>
#include <string>

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

    // Every file beneath the folder, as sorted paths relative to it.
    QStringList Files() const {
        QStringList files;
        QDirIterator it(Path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            files << QDir(Path()).relativeFilePath(it.next());
        }
        files.sort();
        return files;
    }

private:
    QTemporaryDir dir_;
};
