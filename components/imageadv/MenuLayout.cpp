#include "components/imageadv/MenuLayout.h"

#include <algorithm>
#include <cstdint>

namespace kelvo::menu {
namespace {

bool strictlyInside(const TRect& r, int x, int y) {
    return r.Left < x && x < r.Right && r.Top < y && y < r.Bottom;
}

// span / (count + 1) for any count the owner passes (INT_MAX included); no bands below 1.
int bandStep(int span, int count) {
    return count < 1 ? 0 : int(span / (int64_t(count) + 1));
}

}  // namespace

TRect selectTitle(int w, int h) {
    return {w / 10, h / 10, w - w / 10, h / 3};
}

TRect selectAnswer(int w, int h, int count, int k) {
    const int step = bandStep(h - h / 3, count);
    const int top = h / 3 + (k - 1) * step;
    return {w / 7, top, w - w / 7, top + step};
}

TRect option(int w, int h, int count, int k) {
    if (count < 1)
        return {};
    const int top0 = h / 10;
    int top = top0;
    int bottom = top0 + (h - top0) / count;
    const int step = bandStep(h - top0, count) + top0;
    for (int i = 2; i <= k; ++i) {
        top = bottom;
        bottom = top + step;
    }
    return {w / 10, top, w - w / 10, bottom};
}

int selectCount(const std::string& c3, const std::string& c4) {
    if (c3 == kAbsent)
        return 2;
    return c4 == kAbsent ? 3 : 4;
}

int optionCount(const std::string& o3, const std::string& o4, const std::string& o5,
                const std::string& o6) {
    if (o3 == kAbsent)
        return 2;
    if (o4 == kAbsent)
        return 3;
    if (o5 == kAbsent)
        return 4;
    return o6 == kAbsent ? 5 : 6;
}

int selectHit(int w, int h, int count, int x, int y) {
    if (count < 1)
        return 0;
    for (int k = 1; k <= std::min(count, 4); ++k)
        if (strictlyInside(selectAnswer(w, h, count, k), x, y))
            return k;
    return 0;
}

int optionHit(int w, int h, int count, int x, int y) {
    if (count < 1)
        return 0;
    for (int k = 1; k <= std::min(count, 6); ++k)
        if (strictlyInside(option(w, h, count, k), x, y))
            return k;
    return 0;
}

}  // namespace kelvo::menu
