#include "reading/RecordPage.h"

#include <QRegularExpression>

#include "reading/HtmlText.h"
#include "reading/PageShell.h"

namespace {

const QString kRecordStart = QStringLiteral("N0.");
const QString kFieldIndent = QStringLiteral("   ");
const QChar kLabelEnd = QChar(0xFF1A);
// A label is a short word; a longer run before "：" is text that happens to hold one.
constexpr int kMaxLabelLength = 12;

bool IsRecordEnd(const QString& line) {
    return line.trimmed() == QLatin1String("<br><br>");
}

// The label of a field's first line, with its "：", or empty for any other line.
QString FieldLabel(const QString& line) {
    if (!line.startsWith(kFieldIndent) || line.size() <= kFieldIndent.size() ||
        line[kFieldIndent.size()].isSpace()) {
        return {};
    }
    const qsizetype end = line.indexOf(kLabelEnd);
    if (end < 0 || end - kFieldIndent.size() > kMaxLabelLength) {
        return {};
    }
    return line.mid(kFieldIndent.size(), end + 1 - kFieldIndent.size());
}

// The value as the page showed it (its references decoded, then escaped), with its "<br>"
// tags (the only markup a board message keeps from the service) still breaking lines.
QString ValueMarkup(const QString& value) {
    static const QRegularExpression escapedBreak(QStringLiteral("&lt;br\\s*/?&gt;"),
                                                 QRegularExpression::CaseInsensitiveOption);
    QString markup = EscapeBodyText(DecodeEntities(value));
    return markup.replace(escapedBreak, QStringLiteral("<br>"));
}

}  // namespace

std::vector<SavedRecord> ParseSavedRecords(const QString& text) {
    std::vector<SavedRecord> records;
    bool open = false;
    for (const QString& line : text.split(QRegularExpression(QStringLiteral("\r?\n")))) {
        if (line.startsWith(kRecordStart) && !open) {
            records.push_back({line.mid(kRecordStart.size()), {}});
            open = true;
        } else if (open && IsRecordEnd(line)) {
            open = false;
        } else if (open) {
            const QString label = FieldLabel(line);
            auto& lines = records.back().lines;
            if (!label.isEmpty() || lines.empty()) {
                lines.emplace_back(
                    label, line.mid(label.isEmpty() ? 0 : kFieldIndent.size() + label.size()));
            } else {
                lines.back().second += QChar('\n') + line;
            }
        }
    }
    return records;
}

QString RecordPage(const QString& title, const QString& savedFile,
                   const std::vector<SavedRecord>& records, const QString& styleSheet) {
    QString page = PageStart(title, styleSheet, QStringLiteral("pagewren-records"));
    page += QStringLiteral("<nav class=\"pagewren-nav\"><a href=\"../index.html\">返回目录</a>") +
            SavedFileLink(savedFile, QStringLiteral("保存的文件 ") + savedFile, true) +
            QStringLiteral("</nav>\n<h1>") + EscapeHtml(title) + QStringLiteral("（") +
            QString::number(records.size()) + QStringLiteral(" 条）</h1>\n");
    for (const SavedRecord& record : records) {
        page += QStringLiteral("<div class=\"pagewren-record\"><h3>N0.") +
                EscapeHtml(record.number) + QStringLiteral("</h3><dl>");
        for (const auto& [label, value] : record.lines) {
            page += QStringLiteral("<dt>") + EscapeHtml(label) + QStringLiteral("</dt><dd>") +
                    ValueMarkup(value) + QStringLiteral("</dd>");
        }
        page += QStringLiteral("</dl></div>\n");
    }
    return page + PageEnd();
}
