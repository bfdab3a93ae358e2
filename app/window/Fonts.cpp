#include "app/window/Fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QStringList>
#include <cstdio>

namespace kelvo {

void installFontFallbacks() {
    // IPAGothic first for both: its half-width digits are 6 pixels at 12, as the design's are;
    // the proportional IPA face draws them 8 wide, and the figures would not fit their labels.
    const QStringList proportional = {QStringLiteral("IPAGothic"), QStringLiteral("IPAPGothic"),
                                      QStringLiteral("VL Gothic"), QStringLiteral("DejaVu Sans")};
    const QStringList fixed = {QStringLiteral("IPAGothic"), QStringLiteral("VL Gothic"),
                               QStringLiteral("Noto Sans Mono CJK JP"),
                               QStringLiteral("DejaVu Sans Mono")};
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"), proportional);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ ゴシック"), fixed);
    if (!hasJapaneseFont())
        std::fputs(
            "kelvo: no Japanese font is installed, so the window's texts show as boxes; "
            "install one, such as fonts-ipafont-gothic, fonts-vlgothic or "
            "fonts-noto-cjk.\n",
            stderr);
}

bool hasJapaneseFont() {
    return !QFontDatabase::families(QFontDatabase::Japanese).isEmpty();
}

}  // namespace kelvo
