#include "reading/AlbumPage.h"

#include <QDateTime>
#include <QTimeZone>
#include <algorithm>

#include "reading/HtmlText.h"
#include "reading/PageShell.h"

namespace {

// A photo with its capture time read once.
struct ShownPhoto {
    const AlbumPhoto* photo;
    QDateTime time;  // invalid when unknown or unreadable
};

QDateTime CaptureTime(const QString& captured) {
    QDateTime time = QDateTime::fromString(captured, QStringLiteral("yyyyMMddHHmmss"));
    // The archives give their capture times in UTC.
    time.setTimeZone(QTimeZone::utc());
    return time;
}

// Oldest first, then the photos of no readable time, each group by address.
bool ShownBefore(const ShownPhoto& a, const ShownPhoto& b) {
    if (a.time.isValid() != b.time.isValid()) {
        return a.time.isValid();
    }
    if (a.time.isValid() && a.time != b.time) {
        return a.time < b.time;
    }
    return a.photo->address < b.photo->address;
}

QString DayOf(const ShownPhoto& shown) {
    return shown.time.isValid() ? shown.time.toString(QStringLiteral("yyyy-MM-dd"))
                                : QStringLiteral("存档时间不明");
}

QString PhotoItem(const ShownPhoto& shown) {
    const AlbumPhoto& photo = *shown.photo;
    QString item = QStringLiteral("<li>");
    if (photo.link.isEmpty()) {
        item += WebLink(photo.address, QStringLiteral("[图片]")) +
                QStringLiteral("<span class=\"pagewren-unsaved\">（未保存）</span>");
    } else {
        const QString link = EscapeHtml(photo.link);
        item += QStringLiteral("<a href=\"") + link + QStringLiteral("\"><img src=\"") + link +
                QStringLiteral("\" alt=\"\" loading=\"lazy\"></a>");
    }
    if (shown.time.isValid()) {
        item += QStringLiteral("<br>存档于 ") +
                shown.time.toString(QStringLiteral("yyyy-MM-dd HH:mm")) + QStringLiteral(" UTC");
    }
    return item + QStringLiteral("<br>") + WebLink(photo.address, photo.address) +
           QStringLiteral("</li>\n");
}

}  // namespace

QString AlbumPage(const std::vector<AlbumPhoto>& photos, const QString& spaceName,
                  const QString& styleSheet) {
    std::vector<ShownPhoto> shown;
    shown.reserve(photos.size());
    for (const AlbumPhoto& photo : photos) {
        shown.push_back({&photo, CaptureTime(photo.captured)});
    }
    std::ranges::sort(shown, ShownBefore);
    QString page = PageStart(QStringLiteral("相册 - ") + spaceName, styleSheet,
                             QStringLiteral("pagewren-album")) +
                   QStringLiteral(
                       "<nav class=\"pagewren-nav\"><a href=\"../index.html\">返回目录</a></nav>\n"
                       "<h1>相册（") +
                   QString::number(photos.size()) +
                   QStringLiteral(
                       " 张）</h1>\n<p class=\"pagewren-about\">存档里找到的这个空间的照片，"
                       "按存档时间排列。</p>\n");
    QString day;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (const QString photoDay = DayOf(shown[i]); i == 0 || photoDay != day) {
            page += (i == 0 ? QString() : QStringLiteral("</ul>\n")) + QStringLiteral("<h2>") +
                    photoDay + QStringLiteral("</h2>\n<ul class=\"pagewren-photos\">\n");
            day = photoDay;
        }
        page += PhotoItem(shown[i]);
    }
    if (!shown.empty()) {
        page += QStringLiteral("</ul>\n");
    }
    return page + PageEnd();
}
