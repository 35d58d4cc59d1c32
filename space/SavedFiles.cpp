#include "space/SavedFiles.h"

#include <QRegularExpression>
#include <QStringList>

#include "app/modcut.h"
#include "platform/Codepage.h"
#include "platform/FolderBeneath.h"
#include "space/SpaceText.h"

namespace {

// Far above any saved article, page or style sheet.
constexpr qint64 kMaxSavedTextBytes = 64LL * 1024 * 1024;

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

const QString kTitleLabel = QStringLiteral("标题：");
const QString kCategoryLabel = QStringLiteral("类别：");
const QString kDateLabel = QStringLiteral("时间：");
const QString kContentLabel = QStringLiteral("内容：");
// The article page's date box, where the text save cuts the date.
const QString kDateMarker = QStringLiteral("date\">");

QString AfterLabel(const QString& line, const QString& label) {
    return line.startsWith(label) ? line.mid(label.size()) : QString();
}

}  // namespace

SavedText ParseSavedText(const QString& text) {
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    SavedText saved;
    saved.title = AfterLabel(lines.value(0), kTitleLabel);
    saved.category = AfterLabel(lines.value(1), kCategoryLabel);
    saved.date = AfterLabel(lines.value(2), kDateLabel);
    // Line breaks inside the content were written as they stood.
    QString content = AfterLabel(lines.mid(3).join(QStringLiteral("\r\n")), kContentLabel);
    if (content.endsWith(QStringLiteral("\r\n"))) {
        content.chop(2);
    }
    saved.content = content;
    return saved;
}

QString SavedMarkupDate(const QString& markup) {
    return markup.contains(kDateMarker) ? CutBetween(markup, kDateMarker, QStringLiteral("</div>"))
                                        : QString();
}

QString SavedMarkupTitle(const QString& markup) {
    // The fragment begins after the heading "查看文章", and its first text is the title in a
    // box of its own before the date's: </div><div class="tit2">TITLE</div><div class="date">
    static const QRegularExpression text(QStringLiteral(">([^<]*)<"));
    for (const QRegularExpressionMatch& match : text.globalMatch(markup)) {
        const QString title = match.captured(1).trimmed();
        if (title.isEmpty()) {
            continue;
        }
        const qsizetype date = markup.indexOf(kDateMarker);
        const bool ownBox =
            QStringView(markup).mid(match.capturedEnd(1)).startsWith(QStringLiteral("</div>"));
        return ownBox && match.capturedStart(1) < date ? DecodeEntities(title) : QString();
    }
    return {};
}

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

std::optional<QString> ReadSavedText(const QString& spaceFolder, const QString& path) {
    const std::optional<std::string> bytes =
        platform::ReadFileBeneath(spaceFolder, spaceFolder + path, kMaxSavedTextBytes);
    if (!bytes) {
        return std::nullopt;
    }
    QString text = platform::FromAnsi(*bytes);
    if (text.endsWith(QStringLiteral("\r\n"))) {
        text.chop(2);
    }
    return text;
}

QString SavedTextPicture(const QString& line) {
    static const QString label = QStringLiteral("图片地址：");
    if (!line.startsWith(label)) {
        return {};
    }
    return line.mid(label.size()).replace(QStringLiteral("："), QStringLiteral(":"));
}
