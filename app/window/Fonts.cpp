#include "app/window/Fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QStringList>
#include <cstdio>

namespace kelvo {

void installFontFallbacks() {
    // The design's faces under their English names first: a Windows that is not Japanese knows
    // them only so, and has them only with its Japanese supplemental fonts. Without those, Yu
    // Gothic UI, which every Windows 10 and 11 has, then Meiryo. On Linux, IPAGothic first for
    // both: its half-width digits are 6 pixels at 12, as the design's are; the proportional IPA
    // face draws them 8 wide. Where a face draws them wider, the figures shrink to fit
    // (TMainForm::fitFigureFont).
    const QStringList proportional = {QStringLiteral("MS PGothic"), QStringLiteral("Yu Gothic UI"),
                                      QStringLiteral("Meiryo"),     QStringLiteral("MS Gothic"),
                                      QStringLiteral("IPAGothic"),  QStringLiteral("IPAPGothic"),
                                      QStringLiteral("VL Gothic"),  QStringLiteral("DejaVu Sans")};
    // The title row lines its words up over the columns with blanks: fixed-pitch faces first.
    const QStringList fixed = {QStringLiteral("MS Gothic"),
                               QStringLiteral("BIZ UDGothic"),
                               QStringLiteral("IPAGothic"),
                               QStringLiteral("VL Gothic"),
                               QStringLiteral("Noto Sans Mono CJK JP"),
                               QStringLiteral("Yu Gothic UI"),
                               QStringLiteral("Meiryo"),
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
