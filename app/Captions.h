#pragma once

#include <QString>
#include <QStringList>
#include <array>

// Captions that a window and the command-line program both show, kept in one place so that
// the two cannot drift apart.

// The title bar of every window: the tool and its version.
inline const QString kProgramCaption = QStringLiteral("Pagewren final beta");

// The status line of a window before its first run.
inline const QString kWaitingCaption = QStringLiteral("等待中……");

// The article window's save formats, in the order of its format box.
inline const QStringList kSaveFormats = {QStringLiteral("html"), QStringLiteral("txt"),
                                         QStringLiteral("html & doc")};

// The article window's wait between requests, in milliseconds, until the user picks another.
inline const QString kDefaultWaitMs = QStringLiteral("200");

// The main window's six panel labels, in the order of SurveyLabel: their names and the
// captions they show before a survey.
inline const std::array<QString, 6> kPanelLabelNames = {
    QStringLiteral("lblarticle"), QStringLiteral("lblmusic"), QStringLiteral("lblcss"),
    QStringLiteral("lblphoto"),   QStringLiteral("lblboard"), QStringLiteral("lblpinglun")};
inline const std::array<QString, 6> kPanelCaptions = {
    QStringLiteral("检测您的百度空间发表文章，并可以保存多种格式"),
    QStringLiteral("检测您的百度空间背景音乐可以下载保存到电脑上"),
    QStringLiteral("检测您的百度空间CSS模板，你也可以查看别人的"),
    QStringLiteral("coming soon……"),
    QStringLiteral("检测您的百度空间留言版"),
    QStringLiteral("检测您的百度空间文章评论")};
