#include "reading/PageShell.h"

#include "reading/HtmlText.h"

namespace {

// Nothing but the copy's own files: its style sheet and pictures and the songs beside it
// (all file: addresses, which 'self' names for a page opened from the disk), and the look
// and the articles' style values written into the pages. Nothing is fetched from the network,
// no script runs, no frame or plugin loads, no base address or form sends anywhere.
const QString kPolicy = QStringLiteral(
    "default-src 'none'; style-src 'self' 'unsafe-inline'; img-src 'self'; media-src 'self'; "
    "base-uri 'none'; form-action 'none'");

const QString kLook = QStringLiteral(
    "body{max-width:56em;margin:1em auto;padding:0 1em;line-height:1.6;"
    "font-family:\"Noto Sans CJK SC\",\"WenQuanYi Micro Hei\",\"Microsoft YaHei\",sans-serif}"
    ".pagewren-nav{margin:1em 0}.pagewren-nav a{margin-right:1.5em}"
    ".pagewren-date{color:#666;margin-left:.8em;font-size:smaller}"
    ".pagewren-files{margin-left:.8em;font-size:smaller}.pagewren-files a{margin-right:.4em}"
    ".pagewren-failed{color:#b00020}"
    ".pagewren-problems{border:2px solid #b00020;padding:.2em 1em;margin:1em 0}"
    ".pagewren-text{white-space:pre-wrap}"
    ".pagewren-parts td,.pagewren-parts th{padding:.1em 1em .1em 0;text-align:left}"
    ".pagewren-about{color:#666;font-size:smaller;border-top:1px solid #ccc;margin-top:2em}"
    ".pagewren-record{border-bottom:1px solid #ccc;padding:.3em 0}"
    ".pagewren-record dd{white-space:pre-wrap;margin-left:2em}"
    ".pagewren-article .tit2{font-size:1.5em;font-weight:bold;margin:.4em 0}"
    ".pagewren-article .date{color:#666}.pagewren-article .opt{margin-top:1em}"
    "audio{vertical-align:middle;height:2em;margin:0 .8em}"
    "a.pagewren-away::after{content:\"\\2197\";font-size:smaller}"
    ".pagewren-plain{white-space:pre-wrap}"
    ".pagewren-article img{max-width:100%;height:auto}"
    ".pagewren-unsaved{color:#b00020;font-size:smaller}"
    ".pagewren-photos{list-style:none;padding:0;display:flex;flex-wrap:wrap;gap:1em}"
    ".pagewren-photos li{width:16em;font-size:smaller;overflow-wrap:anywhere}"
    ".pagewren-photos img{max-width:100%;max-height:16em}");

}  // namespace

QString PageStart(const QString& title, const QString& styleSheet, const QString& bodyClass) {
    QString page = QStringLiteral(
                       "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<meta http-equiv=\"Content-Security-Policy\" content=\"") +
                   kPolicy +
                   QStringLiteral(
                       "\">\n<meta name=\"viewport\" content=\"width=device-width\">\n"
                       "<meta name=\"generator\" content=\"Pagewren\">\n<title>") +
                   EscapeHtml(title) + QStringLiteral("</title>\n<style>") + kLook +
                   QStringLiteral("</style>\n");
    if (!styleSheet.isEmpty()) {
        page += QStringLiteral("<link rel=\"stylesheet\" href=\"") + EscapeHtml(styleSheet) +
                QStringLiteral("\">\n");
    }
    return page + QStringLiteral("</head>\n<body class=\"") + bodyClass + QStringLiteral("\">\n");
}

QString PageEnd() {
    return QStringLiteral("</body>\n</html>\n");
}
