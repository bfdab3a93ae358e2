#include "raster/text/QtText.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

#include "raster/text/TextRender.h"

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

namespace {

// The text as laid out: every '&' prefix resolved, line breaks made separators, and the
// accelerator characters to underline.
struct PreparedText {
    QString text;
    QList<int> underlines;
};

PreparedText prepare(const QString& in, uint32_t flags) {
    const bool prefix = !(flags & DT_NOPREFIX);
    PreparedText out;
    out.text.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        QChar c = in[i];
        if (c == u'\r') {
            if (i + 1 < in.size() && in[i + 1] == u'\n')
                ++i;
            c = QChar::LineSeparator;
        } else if (c == u'\n') {
            c = QChar::LineSeparator;
        } else if (c == u'\t' && !(flags & DT_EXPANDTABS)) {
            c = u' ';
        } else if (c == u'&' && prefix) {
            if (++i == in.size())
                break;  // a trailing prefix marks nothing
            c = in[i];
            if (c != u'&')
                out.underlines.append(int(out.text.size()));
        }
        out.text.append(c);
    }
    return out;
}

// A layout of the prepared text, its lines not yet made.
std::unique_ptr<QTextLayout> newLayout(const PreparedText& prepared, const QFont& font,
                                       const QFontMetrics& fm, bool wrap) {
    QTextOption option;
    option.setWrapMode(wrap ? QTextOption::WordWrap : QTextOption::NoWrap);
    if (!wrap)
        option.setFlags(QTextOption::IncludeTrailingSpaces);
    // Tab stops every eight average character widths, whatever the justification.
    option.setTabStopDistance(8 * std::max(1, fm.averageCharWidth()));
    auto layout = std::make_unique<QTextLayout>(prepared.text, font);
    // The accelerator's underline is drawn apart from the text: as a format it would split
    // the line into runs shaped one by one, and some font engines then place the glyphs a
    // pixel apart from the plain word's.
    layout->setTextOption(option);
    layout->setCacheEnabled(true);
    return layout;
}

// Breaks the text into lines stacked from the top, each on a whole pixel after the leading;
// returns the widest line's width and the total height (one line's for empty text).
QSizeF makeLines(QTextLayout& layout, const QFontMetrics& fm, qreal lineWidth) {
    qreal width = 0;
    qreal height = 0;
    if (layout.text().isEmpty())
        return QSizeF(0, fm.height());
    const qreal leading = fm.leading();
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(lineWidth);
        if (line.lineNumber() > 0)
            height = std::ceil(height + leading);
        line.setPosition(QPointF(0, height));
        height += line.height();
        width = std::max(width, line.naturalTextWidth());
    }
    layout.endLayout();
    return QSizeF(width, height);
}

// Places every line at the left, the middle or the right of a box `boxWidth` wide.
void justifyLines(QTextLayout& layout, uint32_t flags, int boxWidth) {
    for (int i = 0; i < layout.lineCount(); ++i) {
        QTextLine line = layout.lineAt(i);
        qreal x = 0;
        if (flags & DT_RIGHT)
            x = boxWidth - line.naturalTextWidth();
        else if (flags & DT_CENTER)
            x = (boxWidth - line.naturalTextWidth()) / 2;
        line.setPosition(QPointF(x, line.position().y()));
    }
}

// Underlines the accelerator characters at `positions` in the pen's colour.
void drawUnderlines(QPainter* painter, const QFont& font, const QTextLayout& layout,
                    const QList<int>& positions, const QRect& r) {
    const QFontMetricsF fm(font);
    const qreal thickness = std::max<qreal>(1, fm.lineWidth());
    for (int at : positions) {
        const QTextLine line = layout.lineForTextPosition(at);
        if (!line.isValid())
            continue;
        const qreal x0 = line.cursorToX(at), x1 = line.cursorToX(at + 1);
        const qreal y = line.y() + line.ascent() + fm.underlinePos();
        painter->fillRect(QRectF(r.x() + std::min(x0, x1), r.y() + y, std::abs(x1 - x0), thickness)
                              .toAlignedRect(),
                          painter->pen().color());
    }
}

}  // namespace

LayoutCache::LayoutCache() = default;
LayoutCache::~LayoutCache() = default;

QRect formatText(QPainter* painter, const QFont& font, const QString& text, const QRect& r,
                 uint32_t flags, LayoutCache* cache) {
    const bool wrap = flags & DT_WORDBREAK;
    const qreal lineWidth = wrap ? qreal(std::max(0, r.width())) : qreal(1 << 24);
    // Justification, clipping and measuring do not change the lines.
    const uint32_t layoutFlags = flags & ~uint32_t(DT_CALCRECT | DT_RIGHT | DT_CENTER | DT_NOCLIP);
    LayoutCache local;
    LayoutCache& c = cache ? *cache : local;
    if (!c.layout_ || c.flags_ != layoutFlags || c.lineWidth_ != lineWidth || c.text_ != text ||
        c.font_ != font) {
        const QFontMetrics fm(font);
        const PreparedText prepared = prepare(text, flags);
        c.layout_ = newLayout(prepared, font, fm, wrap);
        const QSizeF size = makeLines(*c.layout_, fm, lineWidth);
        c.text_ = text;
        c.font_ = font;
        c.flags_ = layoutFlags;
        c.lineWidth_ = lineWidth;
        c.width_ = size.width();
        c.height_ = size.height();
        c.empty_ = prepared.text.isEmpty();
        c.underlines_ = prepared.underlines;
    }
    QTextLayout& layout = *c.layout_;
    const qreal width = c.width_;
    const qreal height = c.height_;
    qreal xoff = 0;
    if (flags & DT_RIGHT)
        xoff = r.width() - width;
    else if (flags & DT_CENTER)
        xoff = (r.width() - width) / 2;
    const QRect bounds = QRectF(r.x() + xoff, r.y(), width, height).toAlignedRect();
    if (!painter || (flags & DT_CALCRECT) || c.empty_)
        return bounds;

    justifyLines(layout, flags, r.width());
    painter->save();
    painter->setFont(font);
    if (!(flags & DT_NOCLIP))
        painter->setClipRect(r, Qt::IntersectClip);
    layout.draw(painter, r.topLeft());
    if (!c.underlines_.isEmpty())
        drawUnderlines(painter, font, layout, c.underlines_, r);
    painter->restore();
    return bounds;
}

void calcTextRect(const QFont& font, const QString& text, TRect& r, uint32_t flags,
                  LayoutCache* cache) {
    const QFontMetrics fm(font);
    const QRect bounds =
        formatText(nullptr, font, text, toQRect(r), flags & ~uint32_t(DT_RIGHT | DT_CENTER), cache);
    r.Right = saturatedAdd(r.Left, bounds.width());
    r.Bottom = saturatedAdd(r.Top, std::max(bounds.height(), fm.height()));
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

// A band's image holds at most this many bytes, so a text pass over a bitmap of any size needs
// a few MiB (an image of the whole area could reach 4 GiB on the largest bitmap).
constexpr int64_t kBandBytes = int64_t(4) << 20;

// Paints through `draw` into an image covering `area`, one band of rows at a time, reads the
// markers back and hands each band's mask to `sink`. Every band draws the whole text, clipped
// by the image, so the masks are those of one image of the whole area.
template <class Draw>
void paintMask(const QFont& font, const QRect& area, Draw draw, const TextMaskSink& sink) {
    if (area.isEmpty())
        return;
    const int width = area.width();
    const int rows = int(std::clamp<int64_t>(kBandBytes / (int64_t(width) * 4), 1, area.height()));
    QImage img(width, rows, QImage::Format_ARGB32_Premultiplied);
    if (img.isNull())
        return;  // not even one band's memory: the text is left out
    TextMask mask;
    mask.cells.resize(size_t(width) * size_t(rows));
    for (int top = area.top(); top <= area.bottom(); top += rows) {
        const int height = std::min(rows, area.bottom() + 1 - top);
        img.fill(Qt::transparent);
        {
            QPainter p(&img);
            p.setRenderHint(QPainter::Antialiasing, false);
            p.setRenderHint(QPainter::TextAntialiasing, false);
            p.setFont(font);
            p.translate(-area.left(), -top);
            p.setPen(QColor::fromRgba(kGlyphMarker));
            p.setBackground(QColor::fromRgba(kBackMarker));
            draw(p);
        }
        mask.area = qt::fromQRect(QRect(area.left(), top, width, height));
        for (int y = 0; y < height; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
            uint8_t* out = mask.cells.data() + size_t(y) * size_t(width);
            for (int x = 0; x < width; ++x)
                out[x] = line[x] == kGlyphMarker  ? TextMask::kGlyph
                         : line[x] == kBackMarker ? TextMask::kBackground
                                                  : TextMask::kNone;
        }
        sink(mask);
    }
}

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

}  // namespace

void renderTextOut(const Font& font, std::string_view text, int x, int y, bool opaque,
                   const TRect& clip, const TextMaskSink& sink) {
    if (!haveFonts() || text.empty())
        return;
    const QFont qf = qt::toQFont(font);
    const QString s = toQString(text);
    const QFontMetrics fm(qf);
    x = qt::textCoord(x), y = qt::textCoord(y);
    const QRect cell(x, y, fm.horizontalAdvance(s), fm.height());
    const QRect area = cell.adjusted(-kOverhang, 0, kOverhang, 0).intersected(qt::toQRect(clip));
    paintMask(
        qf, area,
        [&](QPainter& p) {
            if (opaque)
                p.fillRect(cell, QColor::fromRgba(kBackMarker));
            p.drawText(QPoint(x, y + fm.ascent()), s);
        },
        sink);
}

int renderDrawText(const Font& font, std::string_view text, const TRect& rect, uint32_t flags,
                   bool opaque, const TRect& clip, const TextMaskSink& sink) {
    if (!haveFonts() || text.empty())
        return 0;
    const QFont qf = qt::toQFont(font);
    const QString s = toQString(text);
    const QRect target = qt::toQRect(rect);
    qt::LayoutCache layout;  // laid out once for all bands
    const QRect bounds = qt::formatText(nullptr, qf, s, target, flags, &layout);
    QRect area = (flags & DT_NOCLIP) ? bounds.united(target) : target;
    area = area.adjusted(-kOverhang, 0, kOverhang, 2).intersected(qt::toQRect(clip));
    paintMask(
        qf, area,
        [&](QPainter& p) {
            if (opaque)
                p.setBackgroundMode(Qt::OpaqueMode);
            qt::formatText(&p, qf, s, target, flags, &layout);
        },
        sink);
    return bounds.height();
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
