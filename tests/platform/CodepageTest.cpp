#include <gtest/gtest.h>

#include <QString>
#include <string>

#include "platform/Codepage.h"

namespace {

using platform::AnsiByteLength;
using platform::FromAnsi;
using platform::ToAnsi;

// "空间地址", the settings section name, as a Chinese Windows writes it.
const std::string kSectionBytes = "\xBF\xD5\xBC\xE4\xB5\xD8\xD6\xB7";
const QString kReplacement = QString(QChar(0xFFFD));

TEST(CodepageTest, TextBecomesTheExpectedBytesAndBack) {
    EXPECT_EQ(ToAnsi(QStringLiteral("空间地址")), kSectionBytes);
    EXPECT_EQ(FromAnsi(kSectionBytes), QStringLiteral("空间地址"));
    const QString mixed = QStringLiteral("http://hi.example.com/小明的空间 · ①");
    EXPECT_EQ(FromAnsi(ToAnsi(mixed)), mixed);
    EXPECT_EQ(ToAnsi(QStringLiteral("€5")),
              "\x80"
              "5");
    EXPECT_EQ(FromAnsi("\x80"), QStringLiteral("€"));
    EXPECT_EQ(FromAnsi(std::string_view()), QString());
    EXPECT_EQ(ToAnsi(QString()), std::string());
    EXPECT_EQ(FromAnsi(std::string_view("a\0b", 3)).size(), 3);
    // Longer than one conversion buffer.
    QString text;
    for (int i = 0; i < 5000; ++i) {
        text += QStringLiteral("文章%1,").arg(i);
    }
    const std::string bytes = ToAnsi(text);
    EXPECT_EQ(bytes.size(), static_cast<size_t>(AnsiByteLength(text)));
    EXPECT_EQ(FromAnsi(bytes), text);
}

TEST(CodepageTest, CharactersTheCodePageLacksBecomeOneQuestionMarkEach) {
    EXPECT_EQ(ToAnsi(QStringLiteral("a한b")), "a?b");
    // Characters outside the basic plane are two UTF-16 units but one character.
    EXPECT_EQ(ToAnsi(QStringLiteral("x😀y𠀀z")), "x?y?z");
    EXPECT_EQ(AnsiByteLength(QStringLiteral("😀")), 1);
    QString loneSurrogate = QStringLiteral("a");
    loneSurrogate += QChar(0xD800);
    loneSurrogate += QStringLiteral("空");
    EXPECT_EQ(ToAnsi(loneSurrogate), "a?\xBF\xD5");
    EXPECT_EQ(AnsiByteLength(QStringLiteral("http://a/空间")), 13);
}

TEST(CodepageTest, InvalidBytesBecomeReplacementCharactersAndDecodingGoesOn) {
    // 0xFF is never a character; 0x81 0x30 is a lead byte followed by an ASCII digit.
    EXPECT_EQ(FromAnsi("a\xFF"
                       "b"),
              QStringLiteral("a") + kReplacement + QStringLiteral("b"));
    EXPECT_EQ(FromAnsi("\x81"
                       "0\xBF\xD5"),
              kReplacement + QStringLiteral("0空"));
    // A page cut inside a character, as a fixed-size read does.
    EXPECT_EQ(FromAnsi("page\xBF"), QStringLiteral("page") + kReplacement);
    EXPECT_EQ(FromAnsi(kSectionBytes.substr(0, 3)), QStringLiteral("空") + kReplacement);
}

}  // namespace

TEST(CodepageTest, PagesAreReadInTheCharacterSetTheirAnswerDeclares) {
    using platform::CharsetOf;
    using platform::FromCharset;
    const std::string utf8 = "\xE7\xA9\xBA\xE9\x97\xB4";  // "空间"
    EXPECT_EQ(FromCharset(utf8, CharsetOf("text/html; charset=UTF-8")), QStringLiteral("空间"));
    EXPECT_EQ(FromCharset(utf8, CharsetOf("text/html;charset=\"utf-8\"")), QStringLiteral("空间"));
    // "gb2312" pages held GBK characters such as 镕 (0xE946).
    EXPECT_EQ(FromCharset("\xE9\x46", CharsetOf("text/html; charset=gb2312")),
              QStringLiteral("镕"));
    // No character set, an unknown one, or one with iconv orders: code page 936.
    for (const char* type :
         {"text/html", "", "text/html; charset=x-nonesuch", "text/html; charset=utf-8//IGNORE"}) {
        EXPECT_EQ(FromCharset(kSectionBytes, CharsetOf(type)), QStringLiteral("空间地址")) << type;
    }
    EXPECT_EQ(FromCharset("a\xFF"
                          "b",
                          QStringLiteral("utf-8")),
              QStringLiteral("a") + kReplacement + QStringLiteral("b"));
}
