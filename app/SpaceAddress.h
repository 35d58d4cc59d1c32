#pragma once

#include <QString>
#include <optional>

// "http://" and the host of the blog service, without a trailing "/": 19 characters.
inline const QString kServiceRoot = QStringLiteral("http://hi.baidu.com");

// The address a first start shows in the main window: the sample space.
inline const QString kDefaultSpaceAddress = QStringLiteral("http://hi.baidu.com/jiaoliao");

// The service root + tail when that address stays on the service host: the tail is empty or
// begins with "/", "?" or "#", where a host name ends. Nothing for any other tail, such as
// "@127.0.0.1:9/x" or ".evil.test/x" cut from a hostile page.
std::optional<QString> ServicePageAddress(const QString& tail);

// The address written as the service wrote its own: "http://hi.baidu.com" + the rest, for an
// address on the service host typed without the scheme, with "https://", an upper-case host,
// a user name, the default port or an empty one, a dot after the host, "//" after it, or
// blanks around it. The space's name and folder are counted from that form,
// so that "hi.baidu.com/NAME" finds NAME. Any other address is returned as it is.
QString CanonicalSpaceAddress(const QString& address);

// The address without blanks around it, with "http://" in front when it holds no "http://"
// or "https://" (in any case), as the survey and the music window complete an address typed
// without its scheme.
QString WithWebScheme(const QString& address);

// True when the address is not empty and longer than the service root.
bool IsUsableAddress(const QString& address);

// The space name: the last (byte length in code page 936 − 20) characters of a usable
// address, which for an ASCII address is the part after the service root and "/", without
// the "/" an address copied from a browser may end in. Returns the empty text for an
// address that is not usable.
QString SpaceName(const QString& address);

// The address of one of the space's pages: the space address without a trailing "/",
// followed by the path ("/blog", "/profile", "/music/music.pls"...).
QString SpacePageAddress(const QString& address, const QString& path);

// The settings file beside the program: <appFolder>/blogurl.ini.
QString SettingsFilePath(const QString& appFolder);

// The remembered space address; the empty text when the file or the key is missing.
QString LoadSpaceAddress(const QString& appFolder);

// Remembers the space address. Returns false when the settings file could not be written.
bool SaveSpaceAddress(const QString& appFolder, const QString& address);

// What the main window shows at start: the remembered address, or the default address when
// there is no settings file at all.
QString StartupAddressForMainWindow(const QString& appFolder);
