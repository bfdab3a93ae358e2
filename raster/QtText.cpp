#include "raster/QtText.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>

#include "raster/TextRender.h"

namespace kelvo::raster {
namespace qt {

int textFlags(uint32_t flags) {
    int f = Qt::AlignTop;
    if (flags & DT_RIGHT)
        f |= Qt::AlignRight;
    else if (flags & DT_CENTER)
        f |= Qt::AlignHCenter;
    else
        f |= Qt::AlignLeft;
    if (flags & DT_WORDBREAK)
        f |= Qt::TextWordWrap;
    if (flags & DT_EXPANDTABS)
        f |= Qt::TextExpandTabs;
    if (!(flags & DT_NOPREFIX))
        f |= Qt::TextShowMnemonic;
    if (flags & DT_NOCLIP)
        f |= Qt::TextDontClip;
    return f;
}

QFont toQFont(const Font& font) {
    QFont f(QString::fromStdString(font.name));
    f.setPixelSize(std::max(1, font.pixelHeight));
    f.setBold(font.bold);
    f.setItalic(font.italic);
    f.setUnderline(font.underline);
    f.setStrikeOut(font.strikeOut);
    // Two-level glyphs: text pixels must be exactly the text colour.
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

void calcTextRect(const QFont& font, const QString& text, TRect& r, uint32_t flags) {
    QFontMetrics fm(font);
    const int width = (flags & DT_WORDBREAK) ? std::max(r.width(), 1) : 1 << 20;
    const QRect bounds = fm.boundingRect(QRect(0, 0, width, 1 << 20),
                                         textFlags(flags) & ~Qt::AlignHorizontal_Mask, text);
    r.Right = r.Left + bounds.width();
    r.Bottom = r.Top + std::max(bounds.height(), fm.height());
}

}  // namespace qt

namespace {

constexpr QRgb kGlyphMarker = 0xFF0000FF;
constexpr QRgb kBackMarker = 0xFF00FF00;
// Italic and underlined glyphs may reach a little past their advance.
constexpr int kOverhang = 4;

bool haveFonts() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance());
}

// Paints through `draw` into an image covering `area` and reads the markers back.
template <class Draw>
TextMask paintMask(const QFont& font, const QRect& area, Draw draw) {
    TextMask mask;
    if (area.isEmpty())
        return mask;
    QImage img(area.size(), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setRenderHint(QPainter::TextAntialiasing, false);
        p.setFont(font);
        p.translate(-area.left(), -area.top());
        p.setPen(QColor::fromRgba(kGlyphMarker));
        p.setBackground(QColor::fromRgba(kBackMarker));
        draw(p);
    }
    mask.area = qt::fromQRect(area);
    mask.cells.resize(size_t(area.width()) * size_t(area.height()));
    for (int y = 0; y < area.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        uint8_t* out = mask.cells.data() + size_t(y) * size_t(area.width());
        for (int x = 0; x < area.width(); ++x)
            out[x] = line[x] == kGlyphMarker  ? TextMask::kGlyph
                     : line[x] == kBackMarker ? TextMask::kBackground
                                              : TextMask::kNone;
    }
    return mask;
}

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

}  // namespace

TextMask renderTextOut(const Font& font, std::string_view text, int x, int y, bool opaque,
                       const TRect& clip) {
    if (!haveFonts() || text.empty())
        return {};
    const QFont qf = qt::toQFont(font);
    const QString s = toQString(text);
    const QFontMetrics fm(qf);
    const QRect cell(x, y, fm.horizontalAdvance(s), fm.height());
    const QRect area = cell.adjusted(-kOverhang, 0, kOverhang, 0).intersected(qt::toQRect(clip));
    return paintMask(qf, area, [&](QPainter& p) {
        if (opaque)
            p.fillRect(cell, QColor::fromRgba(kBackMarker));
        p.drawText(QPoint(x, y + fm.ascent()), s);
    });
}

TextMask renderDrawText(const Font& font, std::string_view text, const TRect& rect, uint32_t flags,
                        bool opaque, const TRect& clip, int* height) {
    if (height)
        *height = 0;
    if (!haveFonts() || text.empty())
        return {};
    const QFont qf = qt::toQFont(font);
    const QString s = toQString(text);
    const int qtFlags = qt::textFlags(flags);
    const QRect target = qt::toQRect(rect);
    const QFontMetrics fm(qf);
    const QRect bounds = fm.boundingRect(target, qtFlags, s);
    if (height)
        *height = bounds.height();
    QRect area = (flags & DT_NOCLIP) ? bounds.united(target) : target;
    area = area.adjusted(-kOverhang, 0, kOverhang, 2).intersected(qt::toQRect(clip));
    return paintMask(qf, area, [&](QPainter& p) {
        if (!(flags & DT_NOCLIP))
            p.setClipRect(target);
        if (opaque)
            p.setBackgroundMode(Qt::OpaqueMode);
        p.drawText(target, qtFlags, s);
    });
}

int measureDrawText(const Font& font, std::string_view text, TRect& rect, uint32_t flags) {
    if (!haveFonts()) {
        rect.Right = rect.Left;
        rect.Bottom = rect.Top;
        return 0;
    }
    qt::calcTextRect(qt::toQFont(font), toQString(text), rect, flags);
    return rect.height();
}

}  // namespace kelvo::raster
