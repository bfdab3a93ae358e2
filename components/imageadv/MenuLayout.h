#pragma once

#include <string>

#include "raster/Rect.h"

namespace kelvo {

// Geometry of the scene menus, from the control's width and height alone, so that drawing and
// hit testing agree without storing anything. Divisions truncate toward zero.
namespace menu {

inline const std::string kAbsent = "0";

// Question menu: title and answer k (1..count) of count answers.
TRect selectTitle(int w, int h);
TRect selectAnswer(int w, int h, int count, int k);
// Option list: option k (1..count) of count options. The first band is (h - h/10) / count
// high, every later one (h - h/10) / (count + 1) + h/10, so the last may reach past h.
TRect option(int w, int h, int count, int k);

// Number of answers from the optional strings: 2 to 4, resp. 2 to 6 options.
int selectCount(const std::string& c3, const std::string& c4);
int optionCount(const std::string& o3, const std::string& o4, const std::string& o5,
                const std::string& o6);

// The answer (1..min(count, 4)) or option (1..min(count, 6)) strictly inside whose band (x, y)
// lies; borders belong to none. 0 when there is none or count is below 1.
int selectHit(int w, int h, int count, int x, int y);
int optionHit(int w, int h, int count, int x, int y);

}  // namespace menu
}  // namespace kelvo
