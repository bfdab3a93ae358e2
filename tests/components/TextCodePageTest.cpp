#include <gtest/gtest.h>

#include <QWidget>

#include "components/TextCodePage.h"
#include "raster/Font.h"

namespace kelvo {
namespace {

// テスト and あ in code page 932, and the same in UTF-8.
const std::string kShiftJis = "\x83\x65\x83\x58\x83\x67\x82\xa0";
const std::string kUtf8 = "\xe3\x83\x86\xe3\x82\xb9\xe3\x83\x88\xe3\x81\x82";

TEST(TextCodePage, TheCodePagesAreKnownAtRunTime) {
    // Through ICU on Linux, through the system's conversion where the toolkit has no ICU
    // (Windows); without them every Shift-JIS text would be lost.
    for (int known : {932, 1252, 65001})
        EXPECT_TRUE(TextCodePage().setCodePage(known)) << known;
    EXPECT_EQ(codePageConverter(65001), "UTF-8");
    for (int unknown : {12345, -1, 0x10000 + 932})
        EXPECT_FALSE(TextCodePage().setCodePage(unknown)) << unknown;
}

// Short Shift-JIS texts are often valid UTF-8 as well; they are still Shift-JIS.
TEST(TextCodePage, ShiftJisUnlessNamedOtherwise) {
    const TextCodePage cp;
    EXPECT_EQ(cp.codePage(), TextCodePage::kShiftJis);
    EXPECT_EQ(cp.decode(kShiftJis), QString::fromUtf8("テストあ"));
    EXPECT_EQ(cp.decode("\xe3\x81\xb1"), QString::fromUtf8("縺ｱ"));  // not ぱ
    EXPECT_EQ(cp.decode("\xc3\xbd"), QString::fromUtf8("ﾃｽ"));       // not ý
    EXPECT_EQ(cp.decode("plain"), "plain");
    // The code page's own mapping: 0x5C is the backslash, 0x81 0x5F the full-width one.
    EXPECT_EQ(cp.decode("a\\\x81\x5f"), QString::fromUtf8("a\\＼"));
    EXPECT_EQ(cp.toUtf8(kShiftJis), kUtf8);
    EXPECT_EQ(cp.decode(""), "");
}

TEST(TextCodePage, AByteOrderMarkMakesTheTextUtf8) {
    TextCodePage cp;
    EXPECT_EQ(cp.decode("\xef\xbb\xbf" + kUtf8), QString::fromUtf8("テストあ"));
    EXPECT_EQ(cp.decode("\xef\xbb\xbf"), "");
    ASSERT_TRUE(cp.setCodePage(1252));
    EXPECT_EQ(cp.decode("\xef\xbb\xbf\xe3\x81\xb1"), QString::fromUtf8("ぱ"));
}

TEST(TextCodePage, AutomaticTakesValidUtf8AsUtf8AndAnythingElseAsShiftJis) {
    TextCodePage automatic;
    ASSERT_TRUE(automatic.setCodePage(TextCodePage::kAutomatic));
    EXPECT_EQ(automatic.decode(kUtf8), QString::fromUtf8("テストあ"));
    EXPECT_EQ(automatic.decode(kShiftJis), QString::fromUtf8("テストあ"));
}

TEST(TextCodePage, AnExplicitCodePageIsUsedWhateverTheBytes) {
    TextCodePage cp;
    ASSERT_TRUE(cp.setCodePage(1252));
    EXPECT_EQ(cp.decode("caf\xe9"), QString::fromUtf8("café"));
    EXPECT_NE(cp.decode(kUtf8), QString::fromUtf8("テストあ"));
    ASSERT_TRUE(cp.setCodePage(TextCodePage::kUtf8));
    EXPECT_NE(cp.decode(kShiftJis), QString::fromUtf8("テストあ"));
    ASSERT_TRUE(cp.setCodePage(TextCodePage::kShiftJis));
    EXPECT_EQ(cp.decode(kShiftJis), QString::fromUtf8("テストあ"));
    EXPECT_FALSE(cp.setCodePage(12345));  // unknown: the choice stays
    EXPECT_EQ(cp.codePage(), TextCodePage::kShiftJis);
    EXPECT_TRUE(cp.setCodePage(TextCodePage::kAutomatic));
}

TEST(TextCodePage, AWidgetsFontAndWindowTextColourAsTheRasterLayersFont) {
    QWidget w;
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(21);
    f.setBold(true);
    f.setUnderline(true);
    w.setFont(f);
    QPalette pal = w.palette();
    pal.setColor(QPalette::WindowText, QColor(10, 20, 30));
    w.setPalette(pal);
    const raster::Font r = rasterFont(w);
    EXPECT_EQ(r.name, "DejaVu Sans");
    EXPECT_EQ(r.pixelHeight, 21);
    EXPECT_TRUE(r.bold);
    EXPECT_FALSE(r.italic);
    EXPECT_TRUE(r.underline);
    EXPECT_EQ(r.color, raster::rgb(10, 20, 30));
}

}  // namespace
}  // namespace kelvo
