#include <gtest/gtest.h>

#include "QtPrinters.h"
#include "TempFolder.h"
#include "app/SafeNames.h"
#include "app/SpaceAddress.h"

namespace {

// "[空间地址]" in code page 936.
const std::string kSectionLine = "[\xBF\xD5\xBC\xE4\xB5\xD8\xD6\xB7]\r\n";

TEST(SpaceAddressSetting, OnlyAFirstStartShowsTheDefaultAndOnlyInTheMainWindow) {
    TempFolder app;
    EXPECT_EQ(StartupAddressForMainWindow(app.Path()), kDefaultSpaceAddress);
    EXPECT_EQ(LoadSpaceAddress(app.Path()), "");
    app.Write("blogurl.ini", kSectionLine + "other=1\r\n");
    EXPECT_EQ(StartupAddressForMainWindow(app.Path()), "");
    EXPECT_EQ(LoadSpaceAddress(app.Path()), "");
}

TEST(SpaceAddressSetting, HandMadeCodePage936FileReadsBack) {
    TempFolder app;
    // blogurl=http://hi.baidu.com/小鸟 with the name in code page 936.
    app.Write("blogurl.ini", kSectionLine + "blogurl=http://hi.baidu.com/\xD0\xA1\xC4\xF1\r\n");
    EXPECT_EQ(LoadSpaceAddress(app.Path()), QStringLiteral("http://hi.baidu.com/小鸟"));
    EXPECT_EQ(StartupAddressForMainWindow(app.Path()), QStringLiteral("http://hi.baidu.com/小鸟"));
}

TEST(SpaceAddressSetting, SaveWritesCodePage936AndKeepsOtherSections) {
    TempFolder app;
    app.Write("blogurl.ini", "[window]\r\nleft=10\r\n");
    ASSERT_TRUE(SaveSpaceAddress(app.Path(), QStringLiteral("http://hi.baidu.com/小鸟")));
    const std::string bytes = app.Read("blogurl.ini");
    EXPECT_NE(bytes.find("[window]\r\nleft=10\r\n"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find(kSectionLine + "blogurl=http://hi.baidu.com/\xD0\xA1\xC4\xF1\r\n"),
              std::string::npos)
        << bytes;
    EXPECT_EQ(LoadSpaceAddress(app.Path()), QStringLiteral("http://hi.baidu.com/小鸟"));
}

TEST(SpaceName, TakesTheBytesBeyondTheServiceRoot) {
    EXPECT_EQ(SpaceName(QStringLiteral("http://hi.baidu.com/jiaoliao")), "jiaoliao");
    // Two bytes per Chinese character: more characters come from the end.
    EXPECT_EQ(SpaceName(QStringLiteral("http://hi.baidu.com/小鸟")), QStringLiteral("m/小鸟"));
    EXPECT_EQ(SpaceName(QStringLiteral("http://hi.baidu.com")), "");
    EXPECT_EQ(SpaceName(QStringLiteral("http://hi.baidu.com/")), "");
}

// Addresses as users type or copy them name the same space, its pages and its folder.
TEST(SpaceName, AddressesOfTheServiceInAnyFormNameTheSameSpace) {
    for (const char* typed :
         {"hi.baidu.com/jiaoliao", "https://hi.baidu.com/jiaoliao/",
          "HTTP://HI.Baidu.com:80/jiaoliao", "http://user:pw@hi.baidu.com/jiaoliao",
          " http://hi.baidu.com//jiaoliao ", "http://hi.baidu.com:/jiaoliao",
          "http://hi.baidu.com./jiaoliao"}) {
        const QString address = QString::fromLatin1(typed);
        EXPECT_EQ(SpaceName(address), "jiaoliao") << typed;
        EXPECT_EQ(SpaceFolderName(address), "jiaoliao") << typed;
        EXPECT_EQ(SpacePageAddress(address, "/blog"), "http://hi.baidu.com/jiaoliao/blog") << typed;
    }
    // Another host is taken as it stands.
    EXPECT_EQ(CanonicalSpaceAddress("http://hi.baidu.com.evil.test/x"),
              "http://hi.baidu.com.evil.test/x");
}

}  // namespace
