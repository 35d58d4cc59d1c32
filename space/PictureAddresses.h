#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QUrl;

// An article showing more pictures than this has its first ones taken: no article of the
// service came near it, and a hostile one must not cost a request for every tag.
inline constexpr int kMostPicturesPerArticle = 1000;

// A longer address is no picture's: the service's own were under 100 characters.
inline constexpr int kLongestPictureAddress = 2048;

// The pictures an article body shows, each once, in the order they first appear: the source
// of every <img> (of any case and quoting), and the address of a link that holds a picture
// when that address is a picture's (IsPictureAddress), so that the full picture behind a
// thumbnail comes too. The body is read as a browser's tokenizer reads it, in one pass:
// comments, scripts, styles, text areas and tags the body leaves unterminated show nothing.
// Character references in the addresses are decoded, relative addresses read against the
// article's address; only http and https addresses are taken (never data:, javascript: or
// file:), none longer than kLongestPictureAddress, and at most kMostPicturesPerArticle.
QStringList PicturesInBody(const QString& body, const QString& articleAddress);

// The address a browser would request for an <img> source or link address found in an
// article at the base (its address): character references decoded, the tabs and line breaks
// a browser drops taken out, blanks and control characters around it trimmed, read against the
// base when relative, the scheme and host in lower case. Nothing for an address that is not
// http or https or is longer than kLongestPictureAddress. The pictures of the save record are
// named by these addresses.
std::optional<QString> PictureAddress(const QString& value, const QUrl& base);

// Whether the address's path ends in a picture file's extension (.jpg, .jpeg, .png, .gif,
// .bmp or .webp, in any case).
bool IsPictureAddress(const QUrl& address);
