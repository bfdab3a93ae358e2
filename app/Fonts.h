#pragma once

namespace kelvo {

// The window is designed for two Japanese gothic faces; where they are missing, the closest
// faces Debian ships stand in for them (proportional for "ＭＳ Ｐゴシック", fixed for "ＭＳ
// ゴシック").
void installFontFallbacks();

}  // namespace kelvo
