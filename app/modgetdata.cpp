#include "app/modgetdata.h"

#include "platform/Codepage.h"
#include "platform/Http.h"

namespace {

// Addresses travel as bytes: non-ASCII characters and blanks are percent-encoded from
// their code page 936 bytes, as the service expected of its own links.
std::string EncodeAddress(const QString& address) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const unsigned char byte : platform::ToAnsi(address)) {
        if (byte > 0x20 && byte < 0x7F) {
            encoded += static_cast<char>(byte);
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0F];
        }
    }
    return encoded;
}

}  // namespace

std::optional<QString> GetData(const QString& address) {
    const auto body = platform::HttpGet(EncodeAddress(address));
    if (!body) {
        return std::nullopt;
    }
    return platform::FromAnsi(*body);
}

QString GetPageOrEmpty(const QString& address) {
    return GetData(address).value_or(QString());
}
