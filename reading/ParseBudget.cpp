#include "reading/ParseBudget.h"

#include <QHash>
#include <QSet>
#include <vector>

namespace {

// The parser's tree building takes time that grows with the tags times their nesting; real
// articles hold a few thousand tags.
constexpr qsizetype kMostTags = 20000;

// Elements the parser may open again, summed over the blocks that follow them: a sloppy
// article leaves a few fonts open over some paragraphs. As many as the tags a body may hold, so
// that what the parser builds from a body is bounded as the body is.
constexpr qsizetype kMostReopened = kMostTags;

// An HTML parser keeps at most three open formatting elements of one tag and attributes.
constexpr int kSameFormattingKept = 3;

const QSet<QByteArray>& FormattingTags() {
    static const QSet<QByteArray> tags = {"a",    "b", "big",   "code",   "em",     "font", "i",
                                          "nobr", "s", "small", "strike", "strong", "tt",   "u"};
    return tags;
}

const QSet<QByteArray>& BlockTags() {
    static const QSet<QByteArray> tags = {
        "address", "blockquote", "center", "dd", "div", "dl",  "dt",    "h1", "h2", "h3", "h4",
        "h5",      "h6",         "li",     "ol", "p",   "pre", "table", "td", "th", "tr", "ul"};
    return tags;
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The formatting elements left open, as the parser keeps them.
class OpenFormatting {
public:
    void Open(const QByteArray& name, const QByteArray& wholeTag) {
        stacks_[name].push_back(wholeTag);
        if (++kept_[wholeTag] <= kSameFormattingKept) {
            ++count_;
        }
    }

    void Close(const QByteArray& name) {
        std::vector<QByteArray>& stack = stacks_[name];
        if (stack.empty()) {
            return;
        }
        if (kept_[stack.back()]-- <= kSameFormattingKept) {
            --count_;
        }
        stack.pop_back();
    }

    qsizetype Count() const { return count_; }

private:
    QHash<QByteArray, std::vector<QByteArray>> stacks_;
    QHash<QByteArray, int> kept_;
    qsizetype count_ = 0;
};

}  // namespace

bool TooManyTagsToParse(const QByteArray& markup) {
    OpenFormatting open;
    qsizetype tags = 0;
    qsizetype reopened = 0;
    for (qsizetype at = markup.indexOf('<'); at >= 0 && at + 1 < markup.size();
         at = markup.indexOf('<', at + 1)) {
        const bool closing = markup[at + 1] == '/';
        qsizetype end = at + (closing ? 2 : 1);
        if (end >= markup.size() || !IsLetter(markup[end])) {
            continue;
        }
        while (end < markup.size() &&
               (IsLetter(markup[end]) || (markup[end] >= '0' && markup[end] <= '9'))) {
            ++end;
        }
        const QByteArray name =
            markup.mid(at + (closing ? 2 : 1), end - at - (closing ? 2 : 1)).toLower();
        if (!closing && ++tags > kMostTags) {
            return true;
        }
        if (FormattingTags().contains(name)) {
            if (closing) {
                open.Close(name);
            } else {
                const qsizetype tagEnd = markup.indexOf('>', end);
                open.Open(name,
                          markup.mid(at, (tagEnd < 0 ? markup.size() : tagEnd) - at).toLower());
            }
        } else if (!closing && BlockTags().contains(name) &&
                   (reopened += open.Count()) > kMostReopened) {
            return true;
        }
    }
    return false;
}
