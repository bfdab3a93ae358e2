#include "components/imageadv/MenuLayout.h"
#include "tests/imageadv/Fixture.h"

namespace kelvo {
namespace {

using raster::Bitmap;
using raster::Color;
using raster::PixelFormat;
using raster::rgb;
using testing::ImageAdvTest;

using TextTest = ImageAdvTest;

constexpr Color kGrey = 0x808080;
constexpr Color kRed = 0x0000FF;
const raster::Font kFont;

Bitmap greyPicture(int w = 200, int h = 60) {
    Bitmap b(w, h, PixelFormat::Pf24);
    b.fillValue(0x808080);
    return b;
}

int count(const Bitmap& b, Color c, const TRect& r) {
    int n = 0;
    for (int y = std::max(0, r.Top); y < std::min(b.height(), r.Bottom); ++y)
        for (int x = std::max(0, r.Left); x < std::min(b.width(), r.Right); ++x)
            n += b.pixel(x, y) == c;
    return n;
}

// Every shadow pixel left visible lies `offset` pixels right and down of a text pixel.
void expectShadowOffset(const Bitmap& b, int offset) {
    int shadow = 0;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            if (b.pixel(x, y) == raster::clBlack) {
                ++shadow;
                ASSERT_EQ(b.pixel(x - offset, y - offset), kRed) << x << "," << y;
            }
    EXPECT_GT(shadow, 10);
}

TEST_F(TextTest, TextOutDrawsWhiteAndLeavesTheFontWhite) {
    Bitmap b(100, 30, PixelFormat::Pf24);
    b.fillValue(0);
    *adv->BmpBkGet(1) = b;
    raster::Font f;
    f.color = kRed;
    adv->NovelTextOut(1, 2, 2, "Hi", &f);
    EXPECT_EQ(f.color, raster::clWhite);
    EXPECT_GT(count(*adv->BmpBkGet(1), raster::clWhite, {0, 0, 100, 30}), 5);
    adv->NovelTextOut(-1, 2, 2, "Hi", &f);  // no parent canvas for text
    EXPECT_EQ(count(form.surface(), raster::clWhite, {0, 0, 100, 30}), 100 * 30);
}

TEST_F(TextTest, CanvasTextShadowIsOnePixelOff) {
    Bitmap b = greyPicture();
    const TRect r{4, 4, 200, 60};
    adv->NovelDrawText(&b.canvas(), &r, "Shadow", &kFont, true, kRed);
    expectShadowOffset(b, 1);
}

TEST_F(TextTest, BitmapTextShadowIsTwoPixelsOffAndKeepsOtherPixels) {
    Bitmap b = greyPicture();
    const TRect r{4, 4, 200, 60};
    adv->NovelDrawText(&b, &r, "Shadow", &kFont, true, kRed);
    expectShadowOffset(b, 2);
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x) {
            const Color c = b.pixel(x, y);
            ASSERT_TRUE(c == kGrey || c == kRed || c == raster::clBlack) << x << "," << y;
        }
}

TEST_F(TextTest, ColourZeroIsWhite) {
    Bitmap b = greyPicture();
    const TRect r{0, 0, 200, 60};
    adv->NovelDrawText(&b, &r, "white", &kFont, false, 0);
    EXPECT_GT(count(b, raster::clWhite, r), 10);
    Bitmap c = greyPicture();
    adv->NovelDrawText(&c.canvas(), &r, "white", &kFont, false, 0);
    EXPECT_GT(count(c, raster::clWhite, r), 10);
}

TEST_F(TextTest, TabbedTextLinesUpWithItsMask) {
    // Were the coloured pass not to expand tabs, the mask would leave black glyphs behind.
    Bitmap b = greyPicture(300, 40);
    const TRect r{0, 0, 300, 40};
    adv->NovelDrawText(&b, &r, "a\tb\tc", &kFont, false, kRed);
    EXPECT_EQ(count(b, raster::clBlack, r), 0);
    EXPECT_GT(count(b, kRed, r), 10);
}

TEST_F(TextTest, BitmapTextOnAnEightBitImageWithBlackAndWhiteEnds) {
    Bitmap b = palettePicture(200, 40);
    auto pal = b.palette();
    pal[0] = {0, 0, 0, 0};
    pal[255] = {255, 255, 255, 0};
    pal[7] = {255, 0, 0, 0};
    b.setPalette(pal);
    const Bitmap before = b;
    const TRect r{0, 0, 200, 40};
    adv->NovelDrawText(&b, &r, "Hello", &kFont, false, kRed);
    int text = 0;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            if (b.pixelValue(x, y) != before.pixelValue(x, y)) {
                ++text;
                ASSERT_EQ(b.pixelValue(x, y), 7u) << x << "," << y;
            }
    EXPECT_GT(text, 10);
}

TEST_F(TextTest, SelectHighlightAndRestriction) {
    *adv->BmpBkGet(0) = Bitmap(640, 480, PixelFormat::Pf24);
    adv->BmpBkGet(0)->fillValue(0x808080);
    adv->NovelSelect("Title", "one", "two", "0", "x", false, 2 + 64, kRed);
    const Bitmap& p = *adv->BmpBkGet(0);
    EXPECT_GT(count(p, raster::clWhite, menu::selectTitle(640, 480)), 10);
    EXPECT_EQ(count(p, kGrey, menu::selectAnswer(640, 480, 2, 1)), 458 * 106);
    EXPECT_GT(count(p, kRed, menu::selectAnswer(640, 480, 2, 2)), 10);

    adv->BmpBkGet(0)->fillValue(0x808080);
    adv->NovelSelect("", "one", "two", "three", "0", false, 2, kRed);
    EXPECT_GT(count(p, raster::clWhite, menu::selectAnswer(640, 480, 3, 1)), 10);
    EXPECT_GT(count(p, kRed, menu::selectAnswer(640, 480, 3, 2)), 10);
    EXPECT_GT(count(p, raster::clWhite, menu::selectAnswer(640, 480, 3, 3)), 10);
}

// Shift-JIS by default; UTF-8 when the owner says so or the text starts with a byte-order mark.
TEST_F(TextTest, ShiftJisTextDrawsAsItsUtf8Twin) {
    const std::string sjis = "\x83\x65\x83\x58\x83\x67";  // テスト
    const std::string utf8 = "\xe3\x83\x86\xe3\x82\xb9\xe3\x83\x88";
    const TRect r{0, 0, 200, 60};
    auto drawn = [&](const std::string& text) {
        Bitmap b = greyPicture();
        adv->NovelDrawText(&b, &r, text, &kFont, true, kRed);
        Bitmap c = greyPicture();
        adv->NovelDrawText(&c.canvas(), &r, text, &kFont, true, kRed);
        raster::Font f = kFont;
        adv->NovelTextOut(1, 0, 0, text, &f);
        return std::pair{b, c};
    };
    ASSERT_TRUE(adv->setCodePage(TextCodePage::kUtf8));
    *adv->BmpBkGet(1) = greyPicture();
    const auto want = drawn(utf8);
    const Bitmap wantOut = *adv->BmpBkGet(1);
    ASSERT_TRUE(adv->setCodePage(TextCodePage::kShiftJis));
    EXPECT_TRUE(drawn("\xef\xbb\xbf" + utf8).first.samePixels(want.first));
    *adv->BmpBkGet(1) = greyPicture();
    const auto got = drawn(sjis);
    EXPECT_TRUE(got.first.samePixels(want.first));
    EXPECT_TRUE(got.second.samePixels(want.second));
    EXPECT_TRUE(adv->BmpBkGet(1)->samePixels(wantOut));
    EXPECT_FALSE(got.first.samePixels(greyPicture()));
    // Told the text is UTF-8, the component no longer reads Shift-JIS.
    ASSERT_TRUE(adv->setCodePage(TextCodePage::kUtf8));
    EXPECT_FALSE(drawn(sjis).first.samePixels(want.first));
}

TEST_F(TextTest, MenusUseTheWidgetsFont) {
    auto inked = [&] {
        *adv->BmpBkGet(0) = Bitmap(640, 480, PixelFormat::Pf24);
        adv->BmpBkGet(0)->fillValue(0x808080);
        adv->NovelOption("Option", "Other", "0", "0", "0", "0", false, 1, kRed);
        return count(*adv->BmpBkGet(0), kRed, menu::option(640, 480, 2, 1));
    };
    const int small = inked();
    ASSERT_GT(small, 10);
    QFont big = adv->font();
    big.setPixelSize(40);
    adv->setFont(big);
    EXPECT_GT(inked(), 2 * small);
    adv->setStyleSheet("font-size: 10px");  // style sheets reach it as well
    EXPECT_LT(inked(), small);
}

TEST_F(TextTest, OptionHighlightAndRestriction) {
    auto paintOptions = [&](int highlight) {
        *adv->BmpBkGet(0) = Bitmap(640, 480, PixelFormat::Pf24);
        adv->BmpBkGet(0)->fillValue(0x808080);
        adv->NovelOption("one", "two", "three", "four", "0", "x", false, highlight, kRed);
    };
    const Bitmap& p = *adv->BmpBkGet(0);
    auto band = [](int k) { return menu::option(640, 480, 4, k); };
    paintOptions(2);
    for (int k : {1, 3, 4}) {
        EXPECT_GT(count(p, raster::clWhite, band(k)), 10) << k;
        EXPECT_EQ(count(p, kRed, band(k)), 0) << k;
    }
    EXPECT_GT(count(p, kRed, band(2)), 10);
    EXPECT_EQ(count(p, raster::clWhite, band(2)), 0);
    paintOptions(8 + 64);  // only option 4, in colour
    for (int k : {1, 2, 3})
        EXPECT_EQ(count(p, kGrey, band(k)), band(k).width() * band(k).height()) << k;
    EXPECT_GT(count(p, kRed, band(4)), 10);
}

TEST_F(TextTest, OptionsDrawOnAnEmptyPictureMadeControlSized) {
    adv->NovelOption("a", "b", "c", "0", "0", "0", true, 0, 0);
    ASSERT_EQ(adv->BmpBkGet(0)->width(), 640);
    // Drawn white with a black shadow over the new white picture: the shadow shows.
    EXPECT_GT(count(*adv->BmpBkGet(0), raster::clBlack, menu::option(640, 480, 3, 3)), 3);
    EXPECT_EQ(adv->NovelOptHitRect(3, 100, 100), 1);
    EXPECT_EQ(adv->NovelSelHitRect(0, 100, 200), 0);
}

}  // namespace
}  // namespace kelvo
