#include "components/DrawText.h"

#include <QFontMetrics>
#include <QPainter>

namespace kelvo {
namespace {

int toQtFlags(uint32_t flags) {
    int qt = Qt::AlignTop;
    if (flags & DT_RIGHT)
        qt |= Qt::AlignRight;
    else if (flags & DT_CENTER)
        qt |= Qt::AlignHCenter;
    else
        qt |= Qt::AlignLeft;
    if (flags & DT_WORDBREAK)
        qt |= Qt::TextWordWrap;
    if (flags & DT_EXPANDTABS)
        qt |= Qt::TextExpandTabs;
    if (!(flags & DT_NOPREFIX))
        qt |= Qt::TextShowMnemonic;
    if (flags & DT_NOCLIP)
        qt |= Qt::TextDontClip;
    return qt;
}

}  // namespace

void drawFormattedText(QPainter* painter, const QFont& font, const QString& text, TRect& r,
                       uint32_t flags) {
    const int qtFlags = toQtFlags(flags);
    if (flags & DT_CALCRECT) {
        QFontMetrics fm(font);
        // Only word breaking is bounded by the rectangle's width; one line grows to fit.
        const int width = (flags & DT_WORDBREAK) ? std::max(r.width(), 1) : 1 << 20;
        QRect bounds =
            fm.boundingRect(QRect(0, 0, width, 1 << 20), qtFlags & ~Qt::AlignHorizontal_Mask, text);
        r.Right = r.Left + bounds.width();
        r.Bottom = r.Top + std::max(bounds.height(), fm.height());
        return;
    }
    if (!painter)
        return;
    painter->save();
    painter->setFont(font);
    QRect target = r.toQRect();
    if (!(flags & DT_NOCLIP))
        painter->setClipRect(target, Qt::IntersectClip);
    painter->drawText(target, qtFlags, text);
    painter->restore();
}

}  // namespace kelvo
