#pragma once

namespace kelvo {

// The window is designed for two Japanese gothic faces; where they are missing, the closest
// faces Windows or Debian has stand in for them (proportional for "ＭＳ Ｐゴシック", fixed for
// "ＭＳ ゴシック").
// Says once on standard error when no Japanese font is installed.
void installFontFallbacks();

// True when some installed font writes Japanese.
bool hasJapaneseFont();

}  // namespace kelvo
