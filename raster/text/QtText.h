#pragma once

#include <QFont>
#include <QList>
#include <QRect>
#include <QString>
#include <memory>

class QPainter;
class QTextLayout;
#include <algorithm>
#include <cstdint>

#include "raster/Font.h"
#include "raster/Rect.h"
#include "raster/TextFlags.h"

// The bridge between the raster layer's text and Qt's fonts and layout.
namespace kelvo::raster::qt {

// Qt alignment and text flags for DT_ flags: always top-aligned, '&' marks the accelerator
// unless DT_NOPREFIX.
int textFlags(uint32_t dtFlags);
QFont toQFont(const Font& font);
// Qt's rectangles are int and its text layout works in 26.6 fixed point, so edges are held to
// +-2^23 there. No bitmap reaches that far (sides are at most 32768), and a rectangle that wide
// still wraps and centres text as the unclamped one would.
constexpr int kTextCoordLimit = 1 << 23;
inline int textCoord(int v) {
    return std::clamp(v, -kTextCoordLimit, kTextCoordLimit);
}
inline QRect toQRect(const TRect& r) {
    const int l = textCoord(r.Left), t = textCoord(r.Top);
    return QRect(l, t, textCoord(r.Right) - l, textCoord(r.Bottom) - t);
}
inline TRect fromQRect(const QRect& r) {
    return {r.left(), r.top(), r.right() + 1, r.bottom() + 1};
}
// Lays out and, with a painter, draws text in r as the formatted-text call does: top-aligned,
// justified per line, '\n', '\r' and "\r\n" break lines, '&' marks the accelerator unless
// DT_NOPREFIX, tab stops every eight average character widths (DT_EXPANDTABS; without it a tab
// is a blank), clipped to r unless DT_NOCLIP. Returns the text's bounds. The painter's pen is the
// text colour; its background mode decides whether glyph cells are filled.
class LayoutCache;
QRect formatText(QPainter* painter, const QFont& font, const QString& text, const QRect& r,
                 uint32_t dtFlags, LayoutCache* cache = nullptr);
// The DT_CALCRECT rule for a Qt font (see measureDrawText).
void calcTextRect(const QFont& font, const QString& text, TRect& r, uint32_t flags,
                  LayoutCache* cache = nullptr);

// The last layout formatText made for one caller (a label measures its text when the text
// changes, again when it paints, and draws it twice with a shadow). Not shared across threads.
class LayoutCache {
  public:
    LayoutCache();
    ~LayoutCache();
    LayoutCache(const LayoutCache&) = delete;
    LayoutCache& operator=(const LayoutCache&) = delete;

  private:
    friend QRect formatText(QPainter*, const QFont&, const QString&, const QRect&, uint32_t,
                            LayoutCache*);
    QString text_;
    QFont font_;
    uint32_t flags_ = 0;
    qreal lineWidth_ = 0;
    qreal width_ = 0;
    qreal height_ = 0;
    bool empty_ = true;
    QList<int> underlines_;  // the accelerators' positions in the laid-out text
    std::unique_ptr<QTextLayout> layout_;
};

}  // namespace kelvo::raster::qt
