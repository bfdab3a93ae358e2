#include <gtest/gtest.h>

#include "components/imageadv/MenuLayout.h"

namespace kelvo {
namespace {

// The menu layout rule on a 640 × 480 control: the question's title spans W/10..W - W/10 and
// H/10..H/3 (64..576, 48..160); its n answers span W/7..W - W/7 (91..549) and follow one another
// from H/3 in bands of (H - H/3) / (n + 1): 106 high for two, 64 for four. Options start at H/10
// (48) and span W/10..W - W/10; the first is (H - H/10) / n high, each later one
// (H - H/10) / (n + 1) + H/10: 144 then 156 for three, 72 then 109 for six.
TEST(MenuLayout, QuestionWithTwoAnswersOn640x480) {
    EXPECT_EQ(menu::selectTitle(640, 480), (TRect{64, 48, 576, 160}));
    EXPECT_EQ(menu::selectAnswer(640, 480, 2, 1), (TRect{91, 160, 549, 266}));
    EXPECT_EQ(menu::selectAnswer(640, 480, 2, 2), (TRect{91, 266, 549, 372}));
    EXPECT_EQ(menu::selectHit(640, 480, 2, 100, 200), 1);
    EXPECT_EQ(menu::selectHit(640, 480, 2, 91, 200), 0);
    EXPECT_EQ(menu::selectHit(640, 480, 2, 100, 266), 0);
    EXPECT_EQ(menu::selectHit(640, 480, 2, 100, 267), 2);
}

TEST(MenuLayout, QuestionWithFourAnswers) {
    const int tops[] = {160, 224, 288, 352};
    for (int k = 1; k <= 4; ++k) {
        const TRect r = menu::selectAnswer(640, 480, 4, k);
        EXPECT_EQ(r.Top, tops[k - 1]);
        EXPECT_EQ(r.Bottom, tops[k - 1] + 64);
    }
    EXPECT_EQ(menu::selectHit(640, 480, 4, 300, 400), 4);
    EXPECT_EQ(menu::selectHit(640, 480, 4, 300, 416), 0);
    // A count above four lays out that many bands, yet only the first four answer.
    constexpr int top = 480 / 3, step = (480 - top) / (6 + 1);
    EXPECT_EQ(menu::selectAnswer(640, 480, 6, 5),
              (TRect{640 / 7, top + 4 * step, 640 - 640 / 7, top + 5 * step}));
    EXPECT_EQ(menu::selectHit(640, 480, 6, 300, top + 4 * step - 1), 4);
    EXPECT_EQ(menu::selectHit(640, 480, 6, 300, top + 4 * step + 1), 0);
    EXPECT_EQ(menu::selectHit(640, 480, 6, 300, top + 5 * step + 1), 0);
}

TEST(MenuLayout, OptionBandsOn640x480) {
    const int three[] = {48, 192, 348, 504};
    for (int k = 1; k <= 3; ++k) {
        const TRect r = menu::option(640, 480, 3, k);
        EXPECT_EQ(r, (TRect{64, three[k - 1], 576, three[k]}));
    }
    const int six[] = {48, 120, 229, 338, 447, 556, 665};
    for (int k = 1; k <= 6; ++k) {
        EXPECT_EQ(menu::option(640, 480, 6, k).Top, six[k - 1]);
        EXPECT_EQ(menu::option(640, 480, 6, k).Bottom, six[k]);
    }
    EXPECT_EQ(menu::optionHit(640, 480, 6, 300, 500), 5);
    EXPECT_EQ(menu::optionHit(640, 480, 6, 64, 100), 0);
}

TEST(MenuLayout, CountBelowOneHitsNothing) {
    EXPECT_EQ(menu::selectHit(640, 480, 0, 300, 300), 0);
    EXPECT_EQ(menu::selectHit(640, 480, -1, 300, 300), 0);
    EXPECT_EQ(menu::optionHit(640, 480, 0, 300, 300), 0);
}

TEST(MenuLayout, CountsFromTheAbsenceMarker) {
    EXPECT_EQ(menu::selectCount("0", "x"), 2);
    EXPECT_EQ(menu::selectCount("c", "0"), 3);
    EXPECT_EQ(menu::selectCount("c", "d"), 4);
    EXPECT_EQ(menu::optionCount("0", "a", "a", "a"), 2);
    EXPECT_EQ(menu::optionCount("a", "a", "0", "a"), 4);
    EXPECT_EQ(menu::optionCount("a", "a", "a", "a"), 6);
}

}  // namespace
}  // namespace kelvo
