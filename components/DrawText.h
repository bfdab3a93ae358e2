#pragma once

#include <QRect>
#include <QString>
#include <cstdint>

class QFont;
class QPainter;

namespace kelvo {

// Format flags of the classic formatted-text call, with their system values.
enum DrawTextFlag : uint32_t {
    DT_LEFT = 0x0,
    DT_CENTER = 0x1,
    DT_RIGHT = 0x2,
    DT_WORDBREAK = 0x10,
    DT_EXPANDTABS = 0x40,
    DT_NOCLIP = 0x100,
    DT_CALCRECT = 0x400,
    DT_NOPREFIX = 0x800,
};

// Rectangles in the classic convention: right and bottom are exclusive edges.
struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int width() const { return Right - Left; }
    int height() const { return Bottom - Top; }
    void offset(int dx, int dy) { Left += dx, Right += dx, Top += dy, Bottom += dy; }
    QRect toQRect() const { return QRect(Left, Top, Right - Left, Bottom - Top); }
    static TRect fromQRect(const QRect& r) {
        return {r.left(), r.top(), r.right() + 1, r.bottom() + 1};
    }
    bool operator==(const TRect&) const = default;
};

// Draws `text` into `r` as the formatted-text call does: top-aligned, justified by the flags,
// '&' marking the accelerator unless DT_NOPREFIX, clipped to `r` unless DT_NOCLIP. With
// DT_CALCRECT nothing is drawn (painter may be null) and `r` becomes the text's bounds: the
// right edge fits the widest line and the bottom the last line; left and top stay.
void drawFormattedText(QPainter* painter, const QFont& font, const QString& text, TRect& r,
                       uint32_t flags);

}  // namespace kelvo
