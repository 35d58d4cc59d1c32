#include "css/CssFetch.h"

#include <QRegularExpression>
#include <optional>

#include "app/SpaceAddress.h"
#include "app/SpaceExistence.h"
#include "app/modgetdata.h"
#include "css/CssLayout.h"
#include "css/CssWindowControls.h"
#include "platform/Codepage.h"
#include "platform/Http.h"

namespace {

const QString kFailureMessage = QStringLiteral("请填写正确的百度空间地址或者检查网络是否连接！");
const QString kFailureTitle = QStringLiteral("错误提示");
const QString kTooLargeMessage =
    QStringLiteral("CSS代码过大（超过 %1 个字符），不予显示").arg(kLargestSheet);
// The folder of the service that holds every space's style sheet.
const QString kSheetFolder = QStringLiteral("/css/item/");
const QString kSheetExtension = QStringLiteral(".css");
// Byte lengths and positions were held in 16 bits: nothing is found beyond this.
constexpr qsizetype kLargest16Bit = 32767;

// The name tail of the address: its last (byte length in code page 936 − 19) characters,
// "/" and the space name for an ASCII address. Nothing when the address is too short or its
// byte length does not fit in 16 bits.
std::optional<QString> NameTail(const QString& address) {
    if (!IsUsableAddress(address)) {
        return std::nullopt;
    }
    const int bytes = platform::AnsiByteLength(address);
    if (bytes > kLargest16Bit) {
        return std::nullopt;
    }
    QString tail = address.right(bytes - kServiceRoot.size());
    // An address copied from a browser may end in "/": the space is the same.
    while (tail.size() > 1 && tail.endsWith(QChar('/'))) {
        tail.chop(1);
    }
    return tail;
}

// The sheet address is the service root followed by the tail: only a tail that begins a path
// keeps the request on the service, and one with "?", "#", "@" or "\" asks for something else.
bool IsPathOnTheService(const QString& tail) {
    if (!tail.startsWith(QChar('/'))) {
        return false;
    }
    for (const QChar c : tail) {
        if (c.unicode() <= 0x20 || c.unicode() == 0x7F || QStringLiteral("?#@\\").contains(c)) {
            return false;
        }
    }
    return true;
}

// Sheet names on the service were ids of letters and digits; anything else cut from a page
// (quotes, separators, a query) is not a sheet name.
bool IsSheetName(const QString& name) {
    if (name.isEmpty()) {
        return false;
    }
    for (const QChar c : name) {
        const bool plain = (c >= QChar('a') && c <= QChar('z')) ||
                           (c >= QChar('A') && c <= QChar('Z')) ||
                           (c >= QChar('0') && c <= QChar('9'));
        if (!plain && c != QChar('-') && c != QChar('_') && c != QChar('.')) {
            return false;
        }
    }
    return name != QStringLiteral(".") && name != QStringLiteral("..");
}

// The page of an answer worth reading, decoded by the character set the answer declares.
std::optional<QString> PageOf(const platform::HttpResponse& response) {
    if (!response.IsPage()) {
        return std::nullopt;
    }
    return platform::FromCharset(response.body, platform::CharsetOf(response.contentType));
}

// The name of the style sheet the page links for the tail: the text between the first
// tail + "/css/item/" and the next ".css", skipping the tail by its byte length as the
// service's addresses were counted. Nothing when there is no such link within the first
// 32767 characters or what lies there is no sheet name.
std::optional<QString> SheetName(const QString& page, const QString& tail) {
    const qsizetype link = page.indexOf(tail + kSheetFolder);
    if (link < 0 || link >= kLargest16Bit) {
        return std::nullopt;
    }
    const qsizetype start = link + platform::AnsiByteLength(tail) + kSheetFolder.size();
    const qsizetype end = page.indexOf(kSheetExtension, link);
    if (end < start) {
        return std::nullopt;
    }
    const QString name = page.mid(start, end - start);
    return IsSheetName(name) ? std::optional(name) : std::nullopt;
}

bool Fail(CssWindowControls& controls, const QString& message = kFailureMessage) {
    controls.ShowMessage(message, kFailureTitle);
    return false;
}

// What to say of an answered home page that links no sheet. The home page carries nothing
// every space's carries; the blog page does, so it tells a space without a sheet (or with an
// odd page) from an address that names no space.
QString NoSheetMessage(const QString& address) {
    if (SpaceName(address).isEmpty()) {
        return kFailureMessage;
    }
    const SpacePageAnswer blog =
        FetchSpacePage(SpacePageAddress(address, QStringLiteral("/blog")), &IsSpaceBlogPage);
    return blog.verdict == SpacePageVerdict::NotTheSpace ? NoSpaceCaption(blog.laterLayout)
                                                         : kFailureMessage;
}

// A web page answered in the sheet's stead (an archive's "not archived" page, a placeholder):
// no style sheet begins with a document's opening tag.
bool IsWebPage(const QString& sheet) {
    static const QRegularExpression documentStart(
        QStringLiteral("^\\s*<(?:!doctype\\s+html|html)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    return documentStart.match(sheet).hasMatch();
}

}  // namespace

bool RunCssFetch(CssWindowControls& controls) {
    controls.SetSaveEnabled(false);
    // The sheet of the space fetched before must not stand under a newly typed address, nor
    // be saved into its folder.
    if (!controls.CssText().isEmpty()) {
        controls.SetCssText(QString());
    }
    controls.SetListedAddress(controls.Address());
    const QString address = CanonicalSpaceAddress(controls.Address());
    const std::optional<QString> tail = NameTail(address);
    if (!tail || !IsPathOnTheService(*tail)) {
        return Fail(controls);
    }
    // The home page as the service linked it: an archive holds "/NAME", not "/NAME/".
    const auto home = platform::HttpGetWhilePumping(
        AddressOnTheWire(SpacePageAddress(address, QString())), controls.Pump());
    if (!home) {
        return Fail(controls);
    }
    const std::optional<QString> page = PageOf(*home);
    const std::optional<QString> name = page ? SheetName(*page, *tail) : std::nullopt;
    if (!name) {
        return Fail(controls, NoSheetMessage(address));
    }
    const std::optional<QString> sheet =
        GetPageToKeep(kServiceRoot + *tail + kSheetFolder + *name + kSheetExtension);
    if (!sheet || IsWebPage(*sheet)) {
        return Fail(controls);
    }
    if (sheet->size() > kLargestSheet) {
        return Fail(controls, kTooLargeMessage);
    }
    controls.SetCssText(LayOutRules(*sheet, controls.Pump()));
    controls.SetSaveEnabled(true);
    return true;
}
