#pragma once

#include <QStringList>

#include "TestPump.h"
#include "backup/ArticleWindowControls.h"
#include "platform/MemoryList.h"

// The article window's controls as plain values, with every status caption kept in order and
// no waits unless the test asks for them.
class TestArticleWindow : public ArticleWindowControls {
public:
    explicit TestArticleWindow(const QString& appFolder, const QString& address = QString())
        : address(address), appFolder(appFolder) {}

    QString Address() const override { return address; }
    QString WaitMs() const override {
        ++waitReads;
        return wait;
    }
    bool OneClickBackup() const override { return oneClick; }
    QString SaveFormat() const override { return format; }
    platform::ReportList& Categories() override { return categories; }
    platform::ReportList& Articles() override { return articles; }
    QString Status() const override { return statuses.isEmpty() ? QString() : statuses.last(); }
    void SetStatus(const QString& caption) override {
        statuses << caption;
        if (caption == stopOnStatus) {
            pump.waitsBeforeStop = 0;
        }
    }
    void SetSaveEnabled(bool enabled) override { saveEnabled = enabled; }
    void SetSaveCaption(const QString& caption) override { saveCaption = caption; }
    void SetFormatEnabled(bool enabled) override { formatEnabled = enabled; }
    platform::EventPump& Pump() override { return pump; }
    QString AppFolder() const override { return appFolder; }
    bool FetchPictures() const override { return pictures; }

    // Adds an article row as the catalogue leaves it.
    void AddArticle(const QString& title, const QString& category, const QString& address) {
        const int row = articles.AddNumberedRow();
        articles.SetCell(row, 1, title);
        articles.SetCell(row, 2, category);
        articles.SetCell(row, 4, address);
    }

    QString address;
    QString appFolder;
    QString wait = QStringLiteral("200");
    bool oneClick = false;
    QString format = QStringLiteral("html");
    platform::MemoryList categories;
    platform::MemoryList articles;
    QStringList statuses;
    bool saveEnabled = false;
    QString saveCaption = QStringLiteral("保存文章");
    bool formatEnabled = true;
    mutable int waitReads = 0;
    // The window fetches the pictures after every save; the tests of the article files leave
    // them out, so that their files and statuses are the articles' alone.
    bool pictures = false;
    // The run is asked to stop the moment this status is shown, as a user closing the window
    // on reading it would.
    QString stopOnStatus;
    TestPump pump{0.0};
};
