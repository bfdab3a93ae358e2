#include <algorithm>
#include <climits>
#include <vector>

#include "components/splpaint/LevelBytes.h"
#include "tests/splpaint/Fixture.h"

namespace kelvo::testing {
namespace {

// Every byte value at every position of a vector block and of the tail.
std::vector<uint8_t> allBytes() {
    std::vector<uint8_t> v(256 * 2 + 37);
    for (size_t i = 0; i < v.size(); ++i)
        v[i] = uint8_t(i * 7 + i / 256);
    return v;
}

TEST(LevelBytes, ContrastMatchesThePlainFormulaForEveryByteAndLevel) {
    const std::vector<uint8_t> in = allBytes();
    std::vector<int> levels = {INT_MIN, -1000000, 65535, 65536, 99999, 1000000, INT_MAX};
    for (int level = -300; level <= 26000; ++level)
        levels.push_back(level);
    for (int level : levels) {
        std::vector<uint8_t> wide = in, narrow = in, plain = in;
        contrastBytes(wide.data(), wide.size(), level);
        contrastBytes(narrow.data(), narrow.size(), level, false);
        contrastBytesPlain(plain.data(), plain.size(), level);
        for (size_t i = 0; i < in.size(); ++i) {
            const int64_t want = std::clamp<int64_t>(int64_t(in[i]) * level / 100, 0, 255);
            ASSERT_EQ(plain[i], want) << "byte " << int(in[i]) << " level " << level;
            ASSERT_EQ(wide[i], want) << "byte " << int(in[i]) << " level " << level;
            ASSERT_EQ(narrow[i], want) << "byte " << int(in[i]) << " level " << level;
        }
    }
}

TEST(LevelBytes, OffsetMatchesThePlainFormulaForEveryByteAndOffset) {
    const std::vector<uint8_t> in = allBytes();
    std::vector<int> offsets = {INT_MIN, INT_MAX, -100000, 100000};
    for (int offset = -300; offset <= 300; ++offset)
        offsets.push_back(offset);
    for (int offset : offsets) {
        for (bool wide : {true, false}) {
            std::vector<uint8_t> fast = in;
            offsetBytes(fast.data(), fast.size(), offset, wide);
            for (size_t i = 0; i < in.size(); ++i)
                ASSERT_EQ(fast[i], std::clamp<int64_t>(int64_t(in[i]) + offset, 0, 255))
                    << "byte " << int(in[i]) << " offset " << offset;
        }
    }
}

// BkGnd as one byte value everywhere.
class EffectsTest : public SplPaintTest {
  protected:
    void fillBytes(uint8_t v) {
        Bitmap b;
        ASSERT_TRUE(b.reset(20, 10, PixelFormat::Pf24));
        for (int y = 0; y < 10; ++y)
            std::fill_n(b.row(y), 60, v);
        paint.SetBkGnd(&b, true);
    }
    uint8_t byteAt(int x, int y) { return paint.BkGnd.row(y)[3 * x + 1]; }
};

// Contrast scales each byte by a percentage, the offset adds to it; both saturate.
TEST_F(EffectsTest, ContrastAndOffsetValues) {
    struct Case {
        bool contrast;
        int value, in, out;
    } cases[] = {{true, 50, 201, 100}, {true, 380, 67, 254},  {true, 380, 68, 255},
                 {true, 0, 255, 0},    {true, 400, 63, 252},  {true, 400, 64, 255},
                 {true, 100, 77, 77},  {true, -20, 200, 0},   {false, -255, 255, 0},
                 {false, 255, 0, 255}, {false, 20, 250, 255}, {false, 20, 10, 30},
                 {false, 0, 9, 9}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << (c.contrast ? "contrast " : "offset ") << c.value << " on " << c.in);
        fillBytes(uint8_t(c.in));
        EXPECT_TRUE(c.contrast ? paint.ContrastScreen(c.value) : paint.RGBScreen(c.value));
        EXPECT_EQ(byteAt(0, 0), c.out);
        EXPECT_EQ(byteAt(19, 9), c.out);
    }
}

TEST_F(EffectsTest, ContrastRectangleClipsRowsAndColumns) {
    const Bitmap bg = loadBackground(20, 10, 3);
    // The whole buffer with the bottom row given as H: every row once.
    paint.ContrastScreen(50, TRect{0, 0, 20, 10});
    Bitmap want = bg;
    for (int y = 0; y < 10; ++y)
        contrastBytesPlain(want.row(y), 60, 50);
    EXPECT_EQ(firstDifference(paint.BkGnd, want), "");

    // Rows 2..4 both included, columns 3..6; out-of-range edges are clipped.
    paint.SetBkGnd(&bg, true);
    EXPECT_TRUE(paint.ContrastScreen(0, TRect{3, 2, 7, 4}));
    paint.ContrastScreen(0, TRect{-5, -5, 1, 0});
    paint.ContrastScreen(0, TRect{19, 9, 99, 99});
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) {
            const bool dark =
                (x >= 3 && x < 7 && y >= 2 && y <= 4) || (x == 0 && y == 0) || (x == 19 && y == 9);
            ASSERT_EQ(paint.BkGnd.pixelValue(x, y), dark ? 0u : bg.pixelValue(x, y))
                << x << "," << y;
        }

    // Left at or beyond the right limit: nothing.
    paint.SetBkGnd(&bg, true);
    EXPECT_TRUE(paint.ContrastScreen(0, TRect{10, 10, 5, 20}));
    EXPECT_TRUE(paint.ContrastScreen(0, TRect{25, 0, 30, 5}));
    EXPECT_EQ(firstDifference(paint.BkGnd, bg), "");
}

TEST_F(EffectsTest, EffectsNeedATwentyFourBitBuffer) {
    EXPECT_FALSE(paint.ContrastScreen(50));
    EXPECT_FALSE(paint.RGBScreen(10));
    const Bitmap eight = solid(8, 8, raster::rgb(200, 200, 200), PixelFormat::Pf8);
    paint.SetBkGnd(&eight, true);
    EXPECT_FALSE(paint.ContrastScreen(50));
    EXPECT_FALSE(paint.ContrastScreen(50, TRect{0, 0, 4, 4}));
    EXPECT_FALSE(paint.RGBScreen(10));
    EXPECT_EQ(firstDifference(paint.BkGnd, eight), "");
    EXPECT_FALSE(paint.ContrastSplite(1, 2));
}

// Text pixels of one colour on a grey buffer.
std::vector<std::pair<int, int>> pixelsOf(const Bitmap& b, raster::Color c) {
    std::vector<std::pair<int, int>> out;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            if (b.pixel(x, y) == c)
                out.emplace_back(x, y);
    return out;
}

TEST_F(EffectsTest, TextShadowLiesBelowAndRight) {
    const raster::Color red = raster::rgb(255, 0, 0);
    const Bitmap grey = solid(200, 60, raster::rgb(128, 128, 128));
    raster::Font font;
    font.color = red;
    for (bool centre : {false, true}) {
        paint.SetBkGnd(&grey, true);
        paint.DoDrawText(1, TRect{20, 20, 180, 60}, "Kelvo", &font, centre);
        const auto face = pixelsOf(paint.BkGnd, red);
        const auto shadow = pixelsOf(paint.BkGnd, raster::clBlack);
        ASSERT_FALSE(face.empty());
        ASSERT_FALSE(shadow.empty());
        const int dx = centre ? 0 : 2;
        // Every shadow pixel has its glyph pixel up and to the left (drawn over it or not).
        for (auto [x, y] : shadow)
            ASSERT_EQ(paint.BkGnd.pixel(x - dx, y - 2), red) << x << "," << y;
        for (auto [x, y] : face) {
            const raster::Color under = paint.BkGnd.pixel(x + dx, y + 2);
            ASSERT_TRUE(under == red || under == raster::clBlack) << x << "," << y;
        }
    }
}

TEST_F(EffectsTest, TextTargets) {
    const Bitmap grey = solid(100, 40, raster::rgb(128, 128, 128));
    paint.SetBkGnd(&grey, true);
    paint.DrawToScreen(true);
    paint.DoDrawText(2, TRect{0, 0, 100, 40}, "Kelvo", nullptr, false);
    EXPECT_EQ(firstDifference(paint.BkGnd, grey), "");
    EXPECT_EQ(firstDifference(paint.surface(), grey), "");

    // Target 0 is the surface; the control's font is used when none is given.
    QPalette pal = paint.palette();
    pal.setColor(QPalette::WindowText, QColor(0, 0, 255));
    paint.setPalette(pal);
    paint.DoDrawText(0, TRect{4, 4, 100, 40}, "Kelvo", nullptr, false);
    EXPECT_EQ(firstDifference(paint.BkGnd, grey), "");
    EXPECT_FALSE(pixelsOf(paint.surface(), raster::rgb(0, 0, 255)).empty());
}

TEST_F(EffectsTest, TextFollowsTheWidgetsFontAndReadsShiftJis) {
    const Bitmap grey = solid(200, 60, raster::rgb(128, 128, 128));
    auto drawn = [&](const std::string& text) {
        paint.SetBkGnd(&grey, true);
        paint.DoDrawText(1, TRect{4, 4, 200, 60}, text, nullptr, false);
        return paint.BkGnd;
    };
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(12);
    paint.setFont(f);
    QPalette pal = paint.palette();
    pal.setColor(QPalette::WindowText, QColor(0, 0, 255));
    paint.setPalette(pal);
    const size_t small = pixelsOf(drawn("Kelvo"), raster::rgb(0, 0, 255)).size();
    ASSERT_GT(small, 10u);
    f.setPixelSize(30);
    paint.setFont(f);
    EXPECT_GT(pixelsOf(drawn("Kelvo"), raster::rgb(0, 0, 255)).size(), 2 * small);
    paint.setStyleSheet("color: rgb(255, 0, 0)");
    EXPECT_FALSE(pixelsOf(drawn("Kelvo"), raster::rgb(255, 0, 0)).empty());

    const std::string utf8 = "\xe3\x83\x86\xe3\x82\xb9\xe3\x83\x88";  // テスト
    ASSERT_TRUE(paint.setCodePage(TextCodePage::kUtf8));
    const Bitmap want = drawn(utf8);
    ASSERT_TRUE(paint.setCodePage(TextCodePage::kShiftJis));
    EXPECT_EQ(firstDifference(drawn("\x83\x65\x83\x58\x83\x67"), want), "");
    ASSERT_TRUE(paint.setCodePage(1252));
    EXPECT_NE(firstDifference(drawn("\x83\x65\x83\x58\x83\x67"), want), "");
    EXPECT_FALSE(paint.setCodePage(12345));
    EXPECT_EQ(paint.codePage(), 1252);
}

}  // namespace
}  // namespace kelvo::testing
