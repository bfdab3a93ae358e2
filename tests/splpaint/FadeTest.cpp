#include <functional>

#include "components/splpaint/LevelBytes.h"
#include "tests/splpaint/Fixture.h"

namespace kelvo::testing {
namespace {

using Starter = void (TSplPaint::*)();

class FadeTest : public SplPaintTest {
  protected:
    // Calls until FadeExecute says no more follow.
    int runToEnd(bool processMessages = false) {
        int calls = 1;
        while (paint.FadeExecute(processMessages))
            ++calls;
        return calls;
    }

    // Each pixel of `a` where the mask is white, of `b` where black: f(x, y) picks.
    static Bitmap pick(const Bitmap& base, const std::function<uint32_t(int, int)>& f) {
        Bitmap out = base;
        for (int y = 0; y < out.height(); ++y)
            for (int x = 0; x < out.width(); ++x)
                out.setPixelValue(x, y, f(x, y));
        return out;
    }

    // `n` calls that each leave want(step) in BkGnd, then a last one that says no more follow.
    void expectFrames(int n, const std::function<Bitmap(int)>& want) {
        for (int step = 0; step < n; ++step) {
            ASSERT_TRUE(paint.FadeExecute(false)) << "step " << step;
            ASSERT_EQ(firstDifference(paint.BkGnd, want(step)), "") << "step " << step;
        }
        EXPECT_FALSE(paint.FadeExecute(false));
    }

    void loadTwoSprites() {
        loadSprite(0, 8, 8, 1);
        loadSprite(1, 8, 8, 2);
    }
};

TEST_F(FadeTest, CallCountsOfEveryKind) {
    struct Case {
        Starter start;
        int calls;
    } cases[] = {
        {&TSplPaint::FadeFromBlack, 9},
        {&TSplPaint::FadeToBlack, 9},
        {&TSplPaint::FadeFromWhite, 9},
        {&TSplPaint::FadeToWhite, 9},
        {&TSplPaint::FadeFromWhiteContrast, 16},
        {&TSplPaint::FadeToBlackContrast, 20},
        {&TSplPaint::FadeFromBlackContrast, 20},
        {&TSplPaint::FadeToWhiteContrast, 15},
        {&TSplPaint::FadeFromBlackRGB, 13},
        {&TSplPaint::FadeToBlackRGB, 13},
        {&TSplPaint::FadeFromWhiteRGB, 13},
        {&TSplPaint::FadeToWhiteRGB, 13},
        {&TSplPaint::SlitInLeft, 45},
        {&TSplPaint::SlitInRight, 45},
        {&TSplPaint::SlitOutLeft, 45},
        {&TSplPaint::SlitOutRight, 45},
    };
    loadBackground();
    for (const Case& c : cases) {
        (paint.*c.start)();
        ASSERT_TRUE(paint.GetFadeing());
        pumps = 0;
        EXPECT_EQ(runToEnd(true), c.calls) << int(paint.FadeKind);
        // One pump per call; a slit wipe's last call lets the host run once more.
        EXPECT_EQ(pumps, c.calls + (c.calls == 45 ? 1 : 0));
        EXPECT_EQ(paint.FadeStep, 0);
        EXPECT_FALSE(paint.GetFadeing());
    }
    loadTwoSprites();
    for (auto start : {std::function<void()>([&] { paint.FadeInSplite(0); }),
                       std::function<void()>([&] { paint.FadeOutSplite(0); }),
                       std::function<void()>([&] { paint.FadeSplite(0, 1); })}) {
        start();
        pumps = 0;
        EXPECT_EQ(runToEnd(false), 9);
        EXPECT_EQ(pumps, 0);
    }
}

// Executing with no fade started does nothing; a fade started goes on to its end, whatever else
// is started meanwhile.
TEST_F(FadeTest, ExecuteDoesNothingWhenIdleAndStartersAreIgnoredWhileRunning) {
    const Bitmap bg = loadBackground();
    EXPECT_FALSE(paint.FadeExecute(true));
    EXPECT_EQ(pumps, 0);
    EXPECT_EQ(firstDifference(paint.BkGnd, bg), "");
    loadTwoSprites();
    paint.FadeInSplite(0);
    const Bitmap before = paint.BkGnd;
    paint.FadeSplite(1, 0);
    paint.FadeToBlack();
    paint.SlitInLeft();
    EXPECT_EQ(paint.FadeKind, 1);
    EXPECT_EQ(paint.FadeTarget, 0);
    EXPECT_EQ(paint.FadeFrom, 0);
    EXPECT_EQ(firstDifference(paint.BkGnd, before), "");
}

TEST_F(FadeTest, ExecuteWaitsForALoadByPumping) {
    loadBackground();
    paint.FadeFromBlack();
    paint.Loading = true;
    EXPECT_TRUE(paint.FadeExecute(false));
    EXPECT_EQ(pumps, 100);

    pumps = 0;
    paint.setMessagePump([this] {
        if (++pumps == 3)
            paint.Loading = false;
    });
    paint.Loading = true;
    EXPECT_TRUE(paint.FadeExecute(true));
    EXPECT_EQ(pumps, 4);
}

// Whole frames of the pattern dissolves against the formula, for every pattern set.
TEST_F(FadeTest, PatternDissolvesFrameByFrame) {
    for (int set = 0; set < 4; ++set) {
        SCOPED_TRACE(set);
        ASSERT_TRUE(paint.ChangeFadeBrush(set));
        const Bitmap org = loadBackground(37, 21, unsigned(set + 1));
        auto frames = [&](Starter start, const std::function<uint32_t(int, int, int)>& want) {
            (paint.*start)();
            expectFrames(
                8, [&](int k) { return pick(org, [&](int x, int y) { return want(k, x, y); }); });
        };
        // From black: OrgBkGnd AND Q(k).
        frames(&TSplPaint::FadeFromBlack, [&](int k, int x, int y) {
            return org.pixelValue(x, y) & ~patternAt(set, k, x, y) & 0xFFFFFF;
        });
        EXPECT_EQ(firstDifference(paint.BkGnd, org), "");
        // From white with BkGnd equal to OrgBkGnd: OrgBkGnd OR P(k).
        frames(&TSplPaint::FadeFromWhite,
               [&](int k, int x, int y) { return org.pixelValue(x, y) | patternAt(set, k, x, y); });
        EXPECT_EQ(firstDifference(paint.BkGnd, org), "");
        // To white: the starter makes BkGnd white, then OrgBkGnd OR Q(k).
        frames(&TSplPaint::FadeToWhite, [&](int k, int x, int y) {
            return org.pixelValue(x, y) | (~patternAt(set, k, x, y) & 0xFFFFFF);
        });
        EXPECT_EQ(firstDifference(paint.OrgBkGnd, solid(37, 21, raster::clWhite)), "");
    }
}

// The fused row passes give the bytes of the blit sequence, on random pictures and patterns
// that are not only black and white.
TEST_F(FadeTest, FusedDissolvesMatchTheBlitSequence) {
    std::mt19937_64 rng(7);
    for (Starter start : {&TSplPaint::FadeFromBlack, &TSplPaint::FadeToBlack,
                          &TSplPaint::FadeFromWhite, &TSplPaint::FadeToWhite}) {
        for (int round = 0; round < 4; ++round) {
            const int w = 1 + int(rng() % 70), h = 1 + int(rng() % 20);
            const unsigned seed = rng();
            TSplPaint fused, plain;
            plain.setFusedFrames(false);
            for (TSplPaint* p : {&fused, &plain}) {
                const Bitmap org = noise(w, h, seed);
                p->SetBkGnd(&org, true);
                p->BkGnd = noise(w, h, seed + 1);
                for (unsigned k = 0; k < 8; ++k) {
                    p->PatternBrush[k] = noise(8, 8, seed + 2 + k);
                    p->InvPatternBrush[k] = noise(8, 8, seed + 10 + k);
                }
                (p->*start)();
            }
            bool more = true;
            while (more) {
                more = fused.FadeExecute(false);
                ASSERT_EQ(plain.FadeExecute(false), more);
                ASSERT_EQ(firstDifference(fused.BkGnd, plain.BkGnd), "");
                ASSERT_EQ(firstDifference(fused.OrgBkGnd, plain.OrgBkGnd), "");
                ASSERT_EQ(firstDifference(fused.Work4, plain.Work4), "");
            }
        }
    }
}

TEST_F(FadeTest, FromWhiteBuildsOnThePreviousFrame) {
    const Bitmap org = loadBackground(16, 8, 4);
    const Bitmap start = noise(16, 8, 5);
    paint.BkGnd = start;
    paint.FadeFromWhite();
    paint.FadeExecute(false);
    const Bitmap want = pick(org, [&](int x, int y) {
        return (start.pixelValue(x, y) & org.pixelValue(x, y)) | patternAt(0, 0, x, y);
    });
    EXPECT_EQ(firstDifference(paint.BkGnd, want), "");
}

TEST_F(FadeTest, ToBlackBlackensBuffersAtOnceAndTheBackgroundAtTheEnd) {
    const Bitmap org = loadBackground();
    const Bitmap black = solid(64, 48, raster::clBlack);
    paint.FadeToBlack();
    EXPECT_EQ(firstDifference(paint.BkGnd, black), "");
    EXPECT_EQ(firstDifference(paint.Temp, black), "");
    EXPECT_EQ(firstDifference(paint.OrgBkGnd, org), "");
    paint.FadeExecute(false);
    EXPECT_EQ(
        firstDifference(
            paint.BkGnd,
            pick(org, [&](int x, int y) { return org.pixelValue(x, y) & patternAt(0, 0, x, y); })),
        "");
    runToEnd();
    EXPECT_EQ(firstDifference(paint.BkGnd, black), "");
    EXPECT_EQ(firstDifference(paint.OrgBkGnd, black), "");
}

// Sprite transitions, checked over the whole of BkGnd: frame k shows the background where P(k)
// is white (tiled from the sprite's corner) and the sprite where it is black.
TEST_F(FadeTest, SpriteDissolveInAndOut) {
    const Bitmap org = loadBackground();
    loadSprite(0, 12, 10, 1);
    loadSprite(1, 6, 6, 2);
    paint.MoveSplite(0, 13, 7);
    paint.SetVisible(0, false);  // the transitions ignore visibility
    paint.DrawAll(-1);           // sprite 1 is removed by the first frame
    const Bitmap temp = paint.Temp;
    const Bitmap full = composed(org, paint.Splites[0], 13, 7);
    auto frame = [&](int k) {
        return pick(org, [&](int x, int y) {
            const bool inside = x >= 13 && x < 25 && y >= 7 && y < 17;
            return inside && !patternAt(0, k, x - 13, y - 7) ? full.pixelValue(x, y)
                                                             : org.pixelValue(x, y);
        });
    };
    paint.FadeInSplite(0);
    expectFrames(8, frame);
    EXPECT_EQ(firstDifference(paint.BkGnd, full), "");

    paint.FadeOutSplite(0);
    expectFrames(8, [&](int s) { return frame(7 - s); });
    EXPECT_EQ(firstDifference(paint.BkGnd, org), "");
    EXPECT_EQ(firstDifference(paint.Temp, temp), "");
    EXPECT_FALSE(paint.GetVisible(0));
}

TEST_F(FadeTest, SpriteTransitionsRemoveOtherSpritesFromAMadeUpBackground) {
    // No background loaded: the first DrawSplite makes a green one, and ScreenRect stays empty.
    paint.resize(40, 30);
    loadTwoSprites();
    paint.MoveSplite(1, 20, 15);
    paint.DrawAll(-1);
    ASSERT_TRUE(paint.ScreenRect.isEmpty());
    const Bitmap green = paint.OrgBkGnd;
    for (int kind = 0; kind < 3; ++kind) {
        paint.DrawAll(-1);
        if (kind == 0)
            paint.FadeInSplite(0);
        else if (kind == 1)
            paint.FadeOutSplite(0);
        else
            paint.FadeSplite(1, 0);
        ASSERT_TRUE(paint.FadeExecute(false));
        // Sprite 1 (kinds 1 and 2) or its old place (kind 3) shows the clean background.
        for (int y = 15; y < 23; ++y)
            for (int x = 20; x < 28; ++x)
                ASSERT_EQ(paint.BkGnd.pixelValue(x, y), green.pixelValue(x, y))
                    << kind << ": " << x << "," << y;
        while (paint.FadeExecute(false)) {
        }
    }
}

TEST_F(FadeTest, DiamondSetShowsTheWholeSpriteOnItsLastPatternFrame) {
    const Bitmap org = loadBackground();
    loadSprite(0, 12, 10, 1);
    ASSERT_TRUE(paint.ChangeFadeBrush(1));
    paint.FadeInSplite(0);
    for (int k = 0; k < 8; ++k)
        paint.FadeExecute(false);
    EXPECT_EQ(firstDifference(paint.BkGnd, composed(org, paint.Splites[0], 0, 0)), "");
}

TEST_F(FadeTest, CrossDissolveAndAbort) {
    const Bitmap org = loadBackground();
    loadTwoSprites();
    paint.MoveSplite(1, 30, 20);
    const TpbSplite& from = paint.Splites[0];
    const TpbSplite& to = paint.Splites[1];
    const Bitmap withFrom = composed(org, from, 30, 20);
    const Bitmap withTo = composed(org, to, 30, 20);
    paint.FadeSplite(0, 1);
    for (int s = 0; s < 3; ++s) {
        ASSERT_TRUE(paint.FadeExecute(false));
        const Bitmap want = pick(org, [&](int x, int y) {
            const bool inside = x >= 30 && x < 38 && y >= 20 && y < 28;
            if (!inside)
                return org.pixelValue(x, y);
            return patternAt(0, 7 - s, x - 30, y - 20) ? withTo.pixelValue(x, y)
                                                       : withFrom.pixelValue(x, y);
        });
        ASSERT_EQ(firstDifference(paint.BkGnd, want), "") << s;
    }
    // Aborting shows sprite `to` complete on the next call, which is the last.
    paint.FadeAbort();
    EXPECT_FALSE(paint.FadeExecute(false));
    EXPECT_EQ(firstDifference(paint.BkGnd, withTo), "");
}

TEST_F(FadeTest, ScaledSpriteDissolvesAtImageSize) {
    const Bitmap org = loadBackground();
    loadSprite(0, 8, 8, 1);
    paint.MoveSplite(0, TRect{10, 10, 26, 26});
    paint.FadeInSplite(0);
    runToEnd();
    // Drawn at the image's size at PosRect's corner, over the background scaled into it.
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
            const bool inside = x >= 10 && x < 18 && y >= 10 && y < 18;
            if (!inside)
                ASSERT_EQ(paint.BkGnd.pixelValue(x, y), org.pixelValue(x, y)) << x << "," << y;
            else if (paint.Splites[0].Mask.pixelValue(x - 10, y - 10) == 0)
                ASSERT_EQ(paint.BkGnd.pixelValue(x, y),
                          paint.Splites[0].Image.pixelValue(x - 10, y - 10));
            else
                ASSERT_EQ(paint.BkGnd.pixelValue(x, y),
                          org.pixelValue(10 + 2 * (x - 10) + 1, 10 + 2 * (y - 10) + 1));
        }
}

TEST_F(FadeTest, RampsAndAbort) {
    const Bitmap org = loadBackground();
    auto scaled = [&](int level) {
        Bitmap b = org;
        for (int y = 0; y < b.height(); ++y)
            contrastBytesPlain(b.row(y), size_t(b.width()) * 3, level);
        return b;
    };
    paint.FadeFromBlackContrast();
    paint.FadeExecute(false);
    EXPECT_EQ(firstDifference(paint.BkGnd, scaled(5)), "");
    runToEnd();
    EXPECT_EQ(firstDifference(paint.BkGnd, org), "");

    // To white: aborting drops the level to 8; it then rises again by 20 up to 400.
    paint.FadeToWhiteContrast();
    paint.FadeExecute(false);
    paint.FadeAbort();
    paint.FadeExecute(false);
    EXPECT_EQ(paint.FadeStep, 28);
    EXPECT_EQ(firstDifference(paint.BkGnd, scaled(28)), "");
    EXPECT_EQ(runToEnd(), 19);
    EXPECT_EQ(firstDifference(paint.OrgBkGnd, solid(64, 48, raster::clWhite)), "");

    // From white starts with the picture itself; offset ramps end like the others.
    paint.SetBkGnd(&org, true);
    paint.FillBkBlack(false);
    paint.FadeFromWhiteContrast();
    EXPECT_EQ(firstDifference(paint.BkGnd, org), "");
    paint.FadeAbort();
    EXPECT_FALSE(paint.FadeExecute(false));
    paint.FadeToBlackRGB();
    runToEnd();
    EXPECT_EQ(firstDifference(paint.OrgBkGnd, solid(64, 48, raster::clBlack)), "");
}

TEST_F(FadeTest, SlitWipes) {
    const Bitmap org = loadBackground(640, 8, 2);
    paint.SlitInLeft();
    paint.FadeExecute(false);
    // The first call: strips at x = 16 (half-width 1) and x = 0 (half-width 2) opened.
    for (int x = 0; x < 640; ++x) {
        const bool open = x <= 1 || x == 15 || x == 16;
        ASSERT_EQ(paint.BkGnd.pixelValue(x, 3), open ? org.pixelValue(x, 3) : 0u) << x;
    }
    paint.FadeAbort();  // the wave jumps to step 8: x0 = 144
    paint.FadeExecute(false);
    EXPECT_EQ(paint.BkGnd.pixelValue(143, 0), org.pixelValue(143, 0));
    EXPECT_EQ(paint.BkGnd.pixelValue(140, 0), 0u);
    EXPECT_EQ(runToEnd(), 45 - 9);
    EXPECT_EQ(firstDifference(paint.BkGnd, org), "");

    // On a narrower picture the wave still takes 45 calls and ends on the final picture.
    const Bitmap narrow = loadBackground(320, 8, 3);
    paint.SlitOutRight();
    EXPECT_EQ(runToEnd(), 45);
    EXPECT_EQ(firstDifference(paint.BkGnd, solid(320, 8, raster::clBlack)), "");
    EXPECT_EQ(firstDifference(paint.OrgBkGnd, narrow), "");
}

TEST_F(FadeTest, PatternSets) {
    for (int set = 0; set < 4; ++set) {
        ASSERT_TRUE(paint.ChangeFadeBrush(set));
        for (int k = 0; k < 8; ++k) {
            const Bitmap& p = paint.PatternBrush[size_t(k)];
            EXPECT_EQ(p.format(), set == 3 ? PixelFormat::Pf1 : PixelFormat::Pf4);
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x) {
                    ASSERT_EQ(p.pixel(x, y), patternAt(set, k, x, y));
                    ASSERT_EQ(paint.InvPatternBrush[size_t(k)].pixel(x, y),
                              ~patternAt(set, k, x, y) & 0xFFFFFF);
                }
        }
    }
    // An unknown set fails and keeps the current patterns.
    const auto before = paint.PatternBrush;
    EXPECT_FALSE(paint.ChangeFadeBrush(4));
    EXPECT_FALSE(paint.ChangeFadeBrush(-1));
    for (int k = 0; k < 8; ++k)
        EXPECT_TRUE(paint.PatternBrush[size_t(k)].samePixels(before[size_t(k)]));
}

}  // namespace
}  // namespace kelvo::testing
