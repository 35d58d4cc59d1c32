#include "export/ParsedMarkup.h"

#include <vector>

#include "export/XhtmlShapes.h"
#include "reading/HtmlText.h"
#include "reading/ParseBudget.h"
#include "space/SpaceText.h"

namespace {

void CollectText(const GumboNode& root, QString& text) {
    std::vector<const GumboNode*> pending{&root};
    while (!pending.empty()) {
        const GumboNode* node = pending.back();
        pending.pop_back();
        if (node->type == GUMBO_NODE_TEXT || node->type == GUMBO_NODE_WHITESPACE) {
            text += QString::fromUtf8(node->v.text.text);
        } else if ((node->type == GUMBO_NODE_ELEMENT &&
                    ExportTreatmentOf(*node) != Treatment::Drop) ||
                   node == &root) {
            if (node->v.element.tag == GUMBO_TAG_BR) {
                text += QChar(' ');
            }
            const GumboVector& children = node->v.element.children;
            for (unsigned i = children.length; i > 0; --i) {
                pending.push_back(static_cast<const GumboNode*>(children.data[i - 1]));
            }
        }
    }
}

}  // namespace

ParsedMarkup::ParsedMarkup(const QString& markup) : options_(kGumboDefaultOptions) {
    const QByteArray bytes = markup.toUtf8();
    if (TooManyTagsToParse(bytes)) {
        return;
    }
    options_.fragment_context = GUMBO_TAG_BODY;
    options_.max_errors = 0;
    output_ = gumbo_parse_with_options(&options_, bytes.constData(),
                                       static_cast<std::size_t>(bytes.size()));
}

ParsedMarkup::~ParsedMarkup() {
    if (output_ != nullptr) {
        gumbo_destroy_output(&options_, output_);
    }
}

const GumboNode* ParsedMarkup::Root() const {
    return output_ != nullptr ? output_->root : nullptr;
}

QString TagsLeftOut(const QString& markup) {
    return DecodeEntities(WithoutTags(markup));
}

QString MarkupText(const QString& markup) {
    const ParsedMarkup parsed(markup);
    if (parsed.Root() == nullptr) {
        return TagsLeftOut(markup).simplified();
    }
    QString text;
    CollectText(*parsed.Root(), text);
    return text.simplified();
}
