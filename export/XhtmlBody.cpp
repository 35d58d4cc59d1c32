#include "export/XhtmlBody.h"

#include <gumbo.h>

#include <QUrl>
#include <vector>

#include "export/ParsedMarkup.h"
#include "export/XhtmlShapes.h"
#include "export/XmlText.h"
#include "space/PictureAddresses.h"

namespace {

const QString kPictureCaption = QStringLiteral("[图片]");

bool IsBlank(QChar c) {
    return c == QChar(' ') || c == QChar('\t') || c == QChar('\n') || c == QChar('\r') ||
           c == QChar('\f');
}

bool IsBlankText(const QString& text) {
    return std::all_of(text.begin(), text.end(), IsBlank);
}

// Whether text may stand in the element as it is, not only between its children.
bool HoldsText(Role role) {
    return role != Role::List && role != Role::Table && role != Role::TableSection &&
           role != Role::TableRow && role != Role::ColumnGroup;
}

// An element written and not yet closed.
struct Frame {
    Role role = Role::Block;
    bool phrasingContent = false;  // what it holds must be text-level
    bool inLink = false;
    QString linkedPicture;     // inside a link to a picture: its address
    bool startedRows = false;  // a table: rows written, so no columns may follow
    bool heldElement = false;  // an element written in it, so no caption may follow
};

// A node to visit, or (node null) an element to close.
struct Step {
    const GumboNode* node = nullptr;
    QString closing;
};

class XhtmlWriter {
public:
    XhtmlWriter(const QUrl& base, const PictureSource& pictures, PictureChoice choice)
        : base_(base), pictures_(pictures), choice_(choice) {}

    QString Write(const GumboNode& root) {
        frames_.push_back({});
        PushChildren(root);
        while (!steps_.empty()) {
            const Step step = steps_.back();
            steps_.pop_back();
            if (step.node == nullptr) {
                out_ += QStringLiteral("</") + step.closing + QChar('>');
                frames_.pop_back();
            } else {
                Visit(*step.node);
            }
        }
        return out_;
    }

private:
    void PushChildren(const GumboNode& node) {
        const GumboVector& children = node.v.element.children;
        for (unsigned i = children.length; i > 0; --i) {
            steps_.push_back({static_cast<const GumboNode*>(children.data[i - 1]), {}});
        }
    }

    void Visit(const GumboNode& node) {
        if (node.type == GUMBO_NODE_TEXT || node.type == GUMBO_NODE_WHITESPACE) {
            Text(QString::fromUtf8(node.v.text.text));
        } else if (node.type == GUMBO_NODE_ELEMENT) {
            const Treatment treatment = ExportTreatmentOf(node);
            if (treatment == Treatment::Unwrap) {
                PushChildren(node);
            } else if (treatment == Treatment::Keep) {
                Element(node);
            }
        }
        // Comments, and the templates and character data that hold nothing shown, go.
    }

    void Text(const QString& text) {
        Frame& frame = frames_.back();
        if (IsBlankText(text)) {
            QString blanks = text;
            out_ += XmlEscaped(blanks.replace(QChar('\f'), QChar(' ')));
        } else if (frame.phrasingContent || HoldsText(frame.role)) {
            out_ += XmlEscaped(text);
        } else if (frame.role != Role::ColumnGroup) {
            frame.startedRows = frame.heldElement = true;
            const QStringList wrappers = WrappersIn(frame.role);
            for (const QString& wrapper : wrappers) {
                out_ += QChar('<') + wrapper + QChar('>');
            }
            out_ += XmlEscaped(text);
            for (qsizetype i = wrappers.size(); i > 0; --i) {
                out_ += QStringLiteral("</") + wrappers[i - 1] + QChar('>');
            }
        }
    }

    // The elements that hold what may not stand in an element of that role by itself.
    static QStringList WrappersIn(Role role) {
        switch (role) {
            case Role::List:
                return {QStringLiteral("li")};
            case Role::Table:
                return {QStringLiteral("tbody"), QStringLiteral("tr"), QStringLiteral("td")};
            case Role::TableSection:
                return {QStringLiteral("tr"), QStringLiteral("td")};
            case Role::TableRow:
                return {QStringLiteral("td")};
            default:
                return {};
        }
    }

    // Whether an element of that role may stand as it is in the frame.
    static bool FitsIn(Role role, const Frame& frame) {
        switch (frame.role) {
            case Role::List:
                return role == Role::ListItem;
            case Role::Table:
                return role == Role::TableSection ||
                       (role == Role::Caption && !frame.heldElement) ||
                       (role == Role::ColumnGroup && !frame.startedRows);
            case Role::TableSection:
                return role == Role::TableRow;
            case Role::TableRow:
                return role == Role::TableCell;
            case Role::ColumnGroup:
                return role == Role::Column;
            default:
                return role != Role::ListItem && role != Role::TableSection &&
                       role != Role::TableRow && role != Role::TableCell && role != Role::Caption &&
                       role != Role::ColumnGroup && role != Role::Column;
        }
    }

    // The element HTML5 lets stand in the frame, which holds no wrapper it would need: as it
    // is, a span shown as a block inside a line, a "div" where its own parent is missing; a
    // name left empty writes nothing (columns out of place, which hold no text).
    static Shape Placed(Shape shape, const Frame& frame) {
        if (shape.role == Role::Link && frame.inLink) {
            return {QStringLiteral("span"), Role::Phrasing, true, {}};
        }
        const bool column = shape.role == Role::Column || shape.role == Role::ColumnGroup;
        if (frame.phrasingContent) {
            switch (shape.role) {
                case Role::Phrasing:
                case Role::Link:
                case Role::Picture:
                case Role::LineBreak:
                    return shape;
                case Role::Rule:
                    return {QStringLiteral("br"), Role::LineBreak, true, {}};
                default:
                    return column ? Shape{}
                                  : Shape{QStringLiteral("span"), Role::Phrasing, true,
                                          QStringLiteral("display:block;") + shape.style};
            }
        }
        if (FitsIn(shape.role, frame)) {
            return shape;
        }
        if (column || frame.role == Role::ColumnGroup) {
            return {};
        }
        return {QStringLiteral("div"), Role::Block, shape.phrasingContent, shape.style};
    }

    void Element(const GumboNode& node) {
        Frame& frame = frames_.back();
        Shape shape = ShapeOf(node.v.element.tag);
        const bool fits = frame.phrasingContent || FitsIn(shape.role, frame);
        if (!fits && (shape.role == Role::Column || shape.role == Role::ColumnGroup)) {
            return;
        }
        const QStringList wrappers = fits ? QStringList() : WrappersIn(frame.role);
        if (wrappers.isEmpty()) {
            shape = Placed(shape, frame);
        }
        if (frame.role == Role::Table && (shape.role == Role::TableSection || !wrappers.empty())) {
            frame.startedRows = true;
        }
        frame.heldElement = true;
        if (!wrappers.isEmpty()) {
            OpenWrappers(wrappers, Frame(frame));
            shape = Placed(shape, frames_.back());
        }
        if (shape.name.isEmpty()) {
            return;
        }
        if (shape.role == Role::Picture) {
            Picture(node, shape);
        } else {
            Open(node, shape);
        }
    }

    void OpenWrappers(const QStringList& wrappers, const Frame& outer) {
        for (const QString& wrapper : wrappers) {
            out_ += QChar('<') + wrapper + QChar('>');
            const Role role = wrapper == QLatin1String("tbody") ? Role::TableSection
                              : wrapper == QLatin1String("tr")  ? Role::TableRow
                                                                : Role::Block;
            frames_.push_back({role, false, outer.inLink, outer.linkedPicture});
            steps_.push_back({nullptr, wrapper});
        }
    }

    void Open(const GumboNode& node, const Shape& shape) {
        const Frame outer = frames_.back();
        std::vector<XhtmlAttribute> attributes = XhtmlAttributes(node, shape);
        QString linkedPicture = outer.linkedPicture;
        if (shape.role == Role::Link) {
            const QString value = AttributeValue(node, "href");
            if (const QString href = WebTarget(value); !href.isEmpty()) {
                if (IsPictureAddress(QUrl(href))) {
                    linkedPicture = PictureAddress(value, base_).value_or(QString());
                }
                attributes.insert(attributes.begin(),
                                  {QStringLiteral("href"), LinkTo(href, linkedPicture)});
            }
        }
        WriteTag(shape.name, attributes, IsVoidRole(shape.role));
        if (IsVoidRole(shape.role)) {
            return;
        }
        // A link stands for what holds it: what it holds may be a block only where it may be.
        const bool phrasing =
            shape.role == Role::Link ? outer.phrasingContent : shape.phrasingContent;
        frames_.push_back(
            {shape.role, phrasing, outer.inLink || shape.role == Role::Link, linkedPicture});
        steps_.push_back({nullptr, shape.name});
        PushChildren(node);
    }

    void Picture(const GumboNode& node, const Shape& shape) {
        const std::optional<QString> address = PictureAddress(AttributeValue(node, "src"), base_);
        QString source;
        if (choice_ == PictureChoice::FullWhenLinked && !frames_.back().linkedPicture.isEmpty() &&
            pictures_) {
            source = pictures_(frames_.back().linkedPicture);
        }
        if (source.isEmpty() && address && pictures_) {
            source = pictures_(*address);
        }
        const QString alt = AttributeValue(node, "alt").simplified();
        if (!source.isEmpty()) {
            std::vector<XhtmlAttribute> attributes = XhtmlAttributes(node, shape);
            attributes.insert(attributes.begin(),
                              {{QStringLiteral("src"), source}, {QStringLiteral("alt"), alt}});
            WriteTag(shape.name, attributes, true);
            return;
        }
        const QString caption =
            alt.isEmpty() ? kPictureCaption : QStringLiteral("[图片：") + alt + QChar(']');
        const QString href = address ? WebTarget(*address) : QString();
        if (href.isEmpty() || frames_.back().inLink) {
            out_ += XmlEscaped(caption);
            return;
        }
        WriteTag(QStringLiteral("a"), {{QStringLiteral("href"), href}}, false);
        out_ += XmlEscaped(caption) + QStringLiteral("</a>");
    }

    // Where a link to the web address leads: the copy of the picture it names when asked for.
    QString LinkTo(const QString& href, const QString& picture) const {
        const QString copy =
            choice_ == PictureChoice::LinkedToCopy && !picture.isEmpty() && pictures_
                ? pictures_(picture)
                : QString();
        return copy.isEmpty() ? href : copy;
    }

    // The web address a link names, read against the page's own; empty for any other.
    QString WebTarget(const QString& value) const {
        const QString bare = value.trimmed();
        if (bare.isEmpty() || bare.startsWith(QChar('#'))) {
            return {};
        }
        const QUrl url = base_.isEmpty() ? QUrl(bare) : base_.resolved(QUrl(bare));
        const bool web =
            url.isValid() && !url.host().isEmpty() &&
            (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"));
        return web ? url.toString(QUrl::FullyEncoded) : QString();
    }

    void WriteTag(const QString& name, const std::vector<XhtmlAttribute>& attributes, bool empty) {
        out_ += QChar('<') + name;
        for (const XhtmlAttribute& attribute : attributes) {
            out_ += QChar(' ') + attribute.name + QStringLiteral("=\"") +
                    XmlEscaped(attribute.value) + QChar('"');
        }
        out_ += empty ? QStringLiteral("/>") : QStringLiteral(">");
    }

    static QString AttributeValue(const GumboNode& node, const char* name) {
        const GumboAttribute* attribute = gumbo_get_attribute(&node.v.element.attributes, name);
        return attribute ? QString::fromUtf8(attribute->value) : QString();
    }

    const QUrl base_;
    const PictureSource& pictures_;
    const PictureChoice choice_;
    std::vector<Frame> frames_;
    std::vector<Step> steps_;
    QString out_;
};

}  // namespace

QString BodyAsXhtml(const QString& markup, const QString& pageAddress,
                    const PictureSource& pictures, PictureChoice choice) {
    const ParsedMarkup parsed(markup);
    if (parsed.Root() == nullptr) {
        return QStringLiteral("<div>") + XmlEscaped(TagsLeftOut(markup)) + QStringLiteral("</div>");
    }
    const QUrl page(pageAddress);
    return XhtmlWriter(page.isValid() ? page : QUrl(), pictures, choice).Write(*parsed.Root());
}
