#include "platform/ProfileFile.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <cctype>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Codepage.h"

namespace platform {
namespace {

// The whole file, an empty text when there is none, nothing when it exists but cannot be read.
std::optional<std::string> ReadExisting(const QString& filePath) {
    QFile file(filePath);
    if (!file.exists()) {
        return std::string();
    }
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return std::nullopt;
    }
    return bytes.toStdString();
}

// The Windows profile reader drops one pair of matching quotes around a value.
std::string WithoutQuotes(std::string value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// One line of the file as it stands, with its own line end ("\r\n", "\n" or none), so that
// a rewrite gives back every line it does not change byte for byte.
struct Line {
    std::string text;
    std::string end;
};

std::vector<Line> SplitLines(const std::string& content) {
    std::vector<Line> lines;
    for (std::size_t at = 0; at < content.size();) {
        const std::size_t newline = content.find('\n', at);
        const std::size_t stop = newline == std::string::npos ? content.size() : newline;
        Line line{content.substr(at, stop - at), newline == std::string::npos ? "" : "\n"};
        if (!line.text.empty() && line.text.back() == '\r') {
            line.text.pop_back();
            line.end = "\r" + line.end;
        }
        lines.push_back(std::move(line));
        at = stop + 1;
    }
    return lines;
}

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Section and key names ignore the case of ASCII letters, as the Windows profile calls do.
bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// The name of the section a "[name]" line opens, or nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view line) {
    const std::string_view text = Trimmed(line);
    if (text.empty() || text.front() != '[') {
        return std::nullopt;
    }
    const std::size_t close = text.find(']');
    return Trimmed(text.substr(1, close == std::string_view::npos ? text.size() - 1 : close - 1));
}

// Whether a "key=value" line sets the key; comment lines set nothing.
bool SetsKey(std::string_view line, std::string_view key) {
    const std::string_view text = Trimmed(line);
    const std::size_t equals = text.find('=');
    return !text.empty() && text.front() != ';' && equals != std::string_view::npos &&
           SameName(Trimmed(text.substr(0, equals)), key);
}

// The lines [first, end) of the first section of that name: its header and its entries;
// first == lines.size() when the file has no such section.
std::pair<std::size_t, std::size_t> FindSection(const std::vector<Line>& lines,
                                                std::string_view section) {
    std::size_t first = 0;
    while (first < lines.size() && !(SectionName(lines[first].text) &&
                                     SameName(*SectionName(lines[first].text), section))) {
        ++first;
    }
    std::size_t end = first + 1;
    while (end < lines.size() && !SectionName(lines[end].text)) {
        ++end;
    }
    return {first, std::min(end, lines.size())};
}

// The first line of the section that sets the key, or nothing.
std::optional<std::size_t> FindKey(const std::vector<Line>& lines, std::string_view section,
                                   std::string_view key) {
    const auto [first, end] = FindSection(lines, section);
    for (std::size_t at = first + 1; at < end; ++at) {
        if (SetsKey(lines[at].text, key)) {
            return at;
        }
    }
    return std::nullopt;
}

std::string Joined(const std::vector<Line>& lines) {
    std::string out;
    for (const Line& line : lines) {
        out += line.text + line.end;
    }
    return out;
}

// The lines with the key set: its first line in the section rewritten, else a line added
// after the section's last entry, else the section added at the end of the file.
void SetKey(std::vector<Line>& lines, const std::string& section, const std::string& key,
            const std::string& value) {
    const Line entry{key + "=" + value, "\r\n"};
    if (const auto at = FindKey(lines, section, key)) {
        lines[*at].text = entry.text;
        return;
    }
    auto [first, end] = FindSection(lines, section);
    if (first < lines.size()) {
        while (end > first + 1 && Trimmed(lines[end - 1].text).empty()) {
            --end;
        }
        if (lines[end - 1].end.empty()) {
            lines[end - 1].end = "\r\n";
        }
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(end), entry);
        return;
    }
    if (!lines.empty() && lines.back().end.empty()) {
        lines.back().end = "\r\n";
    }
    if (!lines.empty() && !Trimmed(lines.back().text).empty()) {
        lines.push_back({"", "\r\n"});
    }
    lines.push_back({"[" + section + "]", "\r\n"});
    lines.push_back(entry);
}

// An entry is one line: text after a line break would be read back as entries of its own.
std::string FirstLine(const QString& text) {
    const std::string bytes = ToAnsi(text);
    return bytes.substr(0, bytes.find_first_of("\r\n"));
}

}  // namespace

QString ReadProfileString(const QString& filePath, const QString& section, const QString& key,
                          int maxBytes) {
    const std::optional<std::string> content = ReadExisting(filePath);
    if (!content || maxBytes <= 0) {
        return {};
    }
    const std::vector<Line> lines = SplitLines(*content);
    const std::string keyBytes = ToAnsi(key);
    // The first line that sets the key counts, as with the Windows profile calls.
    const auto at = FindKey(lines, ToAnsi(section), keyBytes);
    if (!at) {
        return {};
    }
    const std::string_view text = lines[*at].text;
    std::string bytes = WithoutQuotes(std::string(Trimmed(text.substr(text.find('=') + 1))));
    // Cut as bytes, like a fixed buffer would; a character split in two reads as U+FFFD.
    if (bytes.size() > static_cast<size_t>(maxBytes)) {
        bytes.resize(static_cast<size_t>(maxBytes));
    }
    return FromAnsi(bytes);
}

bool WriteProfileString(const QString& filePath, const QString& section, const QString& key,
                        const QString& value) {
    // An unreadable file is not overwritten: its other entries would be lost.
    const std::optional<std::string> content = ReadExisting(filePath);
    if (!content) {
        return false;
    }
    std::vector<Line> lines = SplitLines(*content);
    SetKey(lines, FirstLine(section), FirstLine(key), FirstLine(value));
    const std::string output = Joined(lines);
    // Replace the file whole where the folder allows it, so a failed write leaves the old one;
    // in a folder that takes no new files, an existing writable file is rewritten in place.
    QSaveFile file(filePath);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    const auto size = static_cast<qint64>(output.size());
    if (file.write(output.data(), size) != size) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace platform
