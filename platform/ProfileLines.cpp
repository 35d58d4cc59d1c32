#include "platform/ProfileLines.h"

#include <QString>
#include <algorithm>
#include <optional>
#include <string_view>

#include "platform/Codepage.h"

namespace platform {
namespace {

std::string_view Trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// Names are compared as characters, so the trail byte of a double-byte character is never
// taken for a letter whose case could be ignored.
bool SameName(std::string_view a, std::string_view b) {
    return FromAnsi(std::string(a)).compare(FromAnsi(std::string(b)), Qt::CaseInsensitive) == 0;
}

// The name of the section a line opens, nothing when it opens none.
std::optional<std::string_view> SectionName(std::string_view line) {
    const std::string_view trimmed = Trimmed(line);
    if (trimmed.empty() || trimmed.front() != '[') {
        return std::nullopt;
    }
    return Trimmed(trimmed.substr(1, trimmed.find(']') - 1));
}

// Where the value of an entry line begins, nothing when the line is no entry of that key.
std::optional<size_t> ValueStart(std::string_view line, std::string_view key) {
    const std::string_view trimmed = Trimmed(line);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#') {
        return std::nullopt;
    }
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos || !SameName(Trimmed(line.substr(0, equals)), key)) {
        return std::nullopt;
    }
    return equals + 1;
}

// Where a change goes: the value to replace, or the place after which a new entry is added.
struct Spot {
    size_t begin = 0;
    size_t end = 0;
    bool isValue = false;
};

// The first entry of the key in the section, else the end of the section's last non-blank
// line; nothing when the section is missing.
std::optional<Spot> FindSpot(std::string_view text, std::string_view section,
                             std::string_view key) {
    std::optional<Spot> spot;
    bool inSection = false;
    bool inFirstSection = false;
    for (size_t begin = 0; begin < text.size();) {
        const size_t lineEnd = std::min(text.find('\n', begin), text.size());
        std::string_view line = text.substr(begin, lineEnd - begin);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        const size_t next = std::min(lineEnd + 1, text.size());
        if (const auto name = SectionName(line)) {
            // A section named twice is read as one, but only its first part takes new entries.
            inSection = SameName(*name, section);
            inFirstSection = inSection && !spot;
            if (inFirstSection) {
                spot = Spot{next, next, false};
            }
        } else if (inSection) {
            if (const auto start = ValueStart(line, key)) {
                return Spot{begin + *start, begin + line.size(), true};
            }
            if (inFirstSection && !Trimmed(line).empty()) {
                spot = Spot{next, next, false};
            }
        }
        begin = next;
    }
    return spot;
}

// Sections are kept apart by a blank line.
bool EndsWithBlankLine(const std::string& text) {
    const size_t lastLineEnd = text.rfind('\n', text.size() - 2);
    return lastLineEnd != std::string::npos && Trimmed(text.substr(lastLineEnd + 1)).empty();
}

}  // namespace

std::string WithProfileValue(const std::string& text, const std::string& section,
                             const std::string& key, const std::string& value) {
    const size_t firstEnd = text.find('\n');
    const std::string newLine =
        firstEnd != std::string::npos && (firstEnd == 0 || text[firstEnd - 1] != '\r') ? "\n"
                                                                                       : "\r\n";
    const std::optional<Spot> spot = FindSpot(text, section, key);
    if (spot && spot->isValue) {
        return text.substr(0, spot->begin) + value + text.substr(spot->end);
    }
    // Whatever follows must start on a line of its own.
    std::string head = spot ? text.substr(0, spot->begin) : text;
    if (!head.empty() && head.back() != '\n') {
        head += newLine;
    }
    const std::string entry = key + "=" + value + newLine;
    if (spot) {
        return head + entry + text.substr(spot->begin);
    }
    if (!head.empty() && !EndsWithBlankLine(head)) {
        head += newLine;
    }
    return head + "[" + section + "]" + newLine + entry;
}

}  // namespace platform
