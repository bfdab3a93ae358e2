#include "components/novellabel/NovelLbl.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMetaMethod>
#include <QMimeData>
#include <QPainter>
#include <optional>
#include <vector>

#include "components/SysColors.h"
#include "raster/text/QtText.h"

namespace kelvo {
namespace {

// Labels created while a form is being read, innermost scope last.
std::vector<std::vector<QPointer<TNovelLabel>>> g_readScopes;

constexpr char kControlMime[] = "application/x-kelvo-control";

// What a dragged label carries: itself, and where the label it was dropped on took it.
class ControlDragData : public QMimeData {
  public:
    explicit ControlDragData(QWidget* source) : source(source) { setData(kControlMime, {}); }
    QPointer<QWidget> source;
    std::optional<QPoint> dropPos;
};

const ControlDragData* controlDrag(const QMimeData* data) {
    return dynamic_cast<const ControlDragData*>(data);
}

// The character a key press offers as a dialog character, or a null one.
QChar dialogChar(const QKeyEvent* key) {
    const QString text = key->text();
    if (text.size() == 1 && text[0].isPrint())
        return text[0];
    // With Alt some keyboards report no text; the key code of a letter or digit will do.
    if (key->key() >= 0x21 && key->key() <= 0x7E)
        return QChar(key->key()).toLower();
    return {};
}

// Offers dialog characters to the labels of a window in their order until one takes it: Alt
// with a character as soon as it is pressed, a plain character once the focused control has
// passed it up to the window unused.
class DialogChars : public QObject {
  public:
    using QObject::QObject;

    static void install() {
        static QPointer<DialogChars> filter;
        if (filter || !qApp)
            return;
        filter = new DialogChars(qApp);
        qApp->installEventFilter(filter);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers mods =
            key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
        QWidget* focus = QApplication::focusWidget();
        const bool firstDelivery = widget == focus || (!focus && widget->isWindow());
        bool offer = false;
        if (mods == Qt::AltModifier)
            offer = firstDelivery;
        else if (mods == Qt::NoModifier)
            offer = widget->isWindow();
        const QChar ch = offer ? dialogChar(key) : QChar();
        if (ch.isNull())
            return false;
        QWidget* window = widget->window();
        for (TNovelLabel* label : window->findChildren<TNovelLabel*>()) {
            if (label->window() == window && label->CMDialogChar(ch))
                return true;
        }
        return false;
    }
};

// The accelerator character of a caption: the one after the first lone '&'.
QChar accelChar(const QString& caption) {
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != u'&')
            continue;
        if (caption[i + 1] != u'&')
            return caption[i + 1];
        ++i;
    }
    return {};
}

}  // namespace

TNovelLabel::FormReadScope::FormReadScope() {
    g_readScopes.emplace_back();
}

TNovelLabel::FormReadScope::~FormReadScope() {
    std::vector<QPointer<TNovelLabel>> labels = std::move(g_readScopes.back());
    g_readScopes.pop_back();
    for (auto& label : labels) {
        if (label)
            label->Loaded();
    }
}

TNovelLabel::TNovelLabel(QWidget* parent)
    : QWidget(parent),
      color_(syscolor::clWindow),
      fontColor_(syscolor::clBtnText),
      layoutCache_(std::make_unique<raster::qt::LayoutCache>()) {
    setAttribute(Qt::WA_OpaquePaintEvent, true);  // a new label is opaque
    if (!g_readScopes.empty()) {
        reading_ = true;
        g_readScopes.back().emplace_back(this);
    }
    resize(65, 17);
}

TNovelLabel::~TNovelLabel() = default;

void TNovelLabel::setCaption(const QString& text) {
    if (text == caption_)
        return;
    caption_ = text;
    if (drawRefresh_)
        update();
    AdjustBounds();
    emit captionChanged(caption_);
}

QColor TNovelLabel::Color() const {
    if (parentColor_ && parentWidget())
        return parentWidget()->palette().color(QPalette::Window);
    return color_;
}

void TNovelLabel::setColor(const QColor& c) {
    if (c == color_ && !parentColor_)
        return;
    color_ = c;
    parentColor_ = false;
    update();
}

void TNovelLabel::setParentColor(bool on) {
    if (on == parentColor_)
        return;
    parentColor_ = on;
    update();
}

QColor TNovelLabel::FontColor() const {
    // The active group: a disabled ancestor greys its own text, not the label's font.
    return parentFont_ ? palette().color(QPalette::Active, QPalette::WindowText) : fontColor_;
}

void TNovelLabel::setFontColor(const QColor& c) {
    if (c == fontColor_ && !parentFont_)
        return;
    fontColor_ = c;
    parentFont_ = false;
    update();
}

void TNovelLabel::setParentFont(bool on) {
    if (on == parentFont_)
        return;
    parentFont_ = on;
    update();
}

void TNovelLabel::setAlignment(TAlignment a) {
    if (a == alignment_)
        return;
    alignment_ = a;
    update();
}

void TNovelLabel::setAutoSize(bool on) {
    if (on == autoSize_)
        return;
    autoSize_ = on;
    AdjustBounds();
}

void TNovelLabel::setFocusControl(QWidget* control) {
    focusControl_ = control;  // QPointer clears itself when the control is destroyed
    if (control)
        DialogChars::install();
}

void TNovelLabel::setShowAccelChar(bool on) {
    if (on == showAccelChar_)
        return;
    showAccelChar_ = on;
    update();
}

void TNovelLabel::setTransparent(bool on) {
    if (on == Transparent())
        return;
    setAttribute(Qt::WA_OpaquePaintEvent, !on);
    update();
}

void TNovelLabel::setLayout(TTextLayout l) {
    if (l == layout_)
        return;
    layout_ = l;
    update();
}

void TNovelLabel::setWordWrap(bool on) {
    if (on == wordWrap_)
        return;
    wordWrap_ = on;
    AdjustBounds();
    update();
}

void TNovelLabel::DoDrawText(QPainter* painter, TRect& rect, uint32_t flags) {
    QString text = GetLabelText();
    TRect r = rect;
    if ((flags & DT_CALCRECT) && (text.isEmpty() || (showAccelChar_ && text == "&"))) {
        text = " ";  // an empty label still measures one space by one line
    }
    if (!showAccelChar_)
        flags |= DT_NOPREFIX;
    const QFont& f = font();
    auto draw = [&](const QColor& colour) {
        if (painter)
            painter->setPen(colour);
        drawFormattedText(painter, f, text, r, flags, layoutCache_.get());
    };
    if (!Enabled()) {
        // The emboss follows the palette's bevel colours, as buttons' edges do.
        r.offset(1, 1);
        draw(palette().color(QPalette::Light));
        r.offset(-1, -1);
        draw(palette().color(QPalette::Dark));
    } else if (textShadow_) {
        r.offset(1, 1);
        draw(Color());
        r.offset(-1, -1);
        draw(FontColor());
    } else {
        draw(FontColor());
    }
    rect = r;
}

void TNovelLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!Transparent())
        painter.fillRect(rect(), Color());
    TRect r{0, 0, width(), height()};
    uint32_t style = DT_EXPANDTABS | (wordWrap_ ? DT_WORDBREAK : 0u);
    if (alignment_ == taRightJustify)
        style |= DT_RIGHT;
    else if (alignment_ == taCenter)
        style |= DT_CENTER;
    if (layout_ != tlTop) {
        TRect calc = r;
        DoDrawText(nullptr, calc, style | DT_CALCRECT);
        int dy = height() - calc.Bottom;
        if (layout_ == tlCenter)
            dy /= 2;  // truncates toward zero
        r.offset(0, dy);
        // Text taller than the label moved up: clipped to the moved rectangle, the label's
        // bottom -dy rows would stay empty (all of it from twice or three times its height on);
        // the label's own bounds clip it instead, so its last line shows at the bottom.
        if (dy < 0)
            style |= DT_NOCLIP;
    }
    DoDrawText(&painter, r, style);
}

void TNovelLabel::AdjustBounds() {
    if (reading_ || !autoSize_)
        return;
    TRect r{0, 0, width(), height()};
    DoDrawText(nullptr, r, DT_EXPANDTABS | DT_CALCRECT | (wordWrap_ ? DT_WORDBREAK : 0u));
    int newLeft = x();
    if (alignment_ == taRightJustify)
        newLeft = x() + width() - r.Right;
    setGeometry(newLeft, y(), r.Right, r.Bottom);
}

void TNovelLabel::Loaded() {
    reading_ = false;
    AdjustBounds();
}

bool TNovelLabel::CMDialogChar(QChar key) {
    if (!focusControl_ || !Enabled() || !showAccelChar_)
        return false;
    const QChar accel = accelChar(caption_);
    if (accel.isNull() || QString(accel).compare(QString(key), Qt::CaseInsensitive) != 0)
        return false;
    if (!focusControl_->isEnabled() || !focusControl_->isVisible() ||
        focusControl_->focusPolicy() == Qt::NoFocus) {
        return false;
    }
    focusControl_->setFocus(Qt::ShortcutFocusReason);
    return true;
}

void TNovelLabel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        AdjustBounds();  // bounds only: a new font alone does not repaint the label
        return;
    }
    QWidget::changeEvent(event);
}

void TNovelLabel::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        clicked_ = true;
        pressPos_ = p;
        dragArmed_ = dragMode_ == dmAutomatic;
    }
    emit OnMouseDown(event->button(), event->modifiers(), p.x(), p.y());
}

void TNovelLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        clicked_ = false;
        emit OnDblClick();
    }
    emit OnMouseDown(event->button(), event->modifiers(), p.x(), p.y());
}

void TNovelLabel::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (dragArmed_ && (event->buttons() & Qt::LeftButton) &&
        (p - pressPos_).manhattanLength() >= QApplication::startDragDistance()) {
        startDrag();
        return;
    }
    emit OnMouseMove(event->buttons(), event->modifiers(), p.x(), p.y());
    event->ignore();  // the parent may follow the pointer too
}

void TNovelLabel::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        dragArmed_ = false;
        const bool click = clicked_ && rect().contains(p);
        clicked_ = false;
        if (click)
            emit OnClick();
    }
    emit OnMouseUp(event->button(), event->modifiers(), p.x(), p.y());
}

void TNovelLabel::contextMenuEvent(QContextMenuEvent* event) {
    if (!popupMenu_) {
        event->ignore();
        return;
    }
    popupMenu_->popup(event->globalPos());
}

void TNovelLabel::BeginDrag(bool immediately) {
    if (immediately) {
        startDrag();
        return;
    }
    dragArmed_ = true;
    pressPos_ = mapFromGlobal(QCursor::pos());
}

QMimeData* TNovelLabel::DragData(QWidget* source) {
    return new ControlDragData(source);
}

void TNovelLabel::startDrag() {
    dragArmed_ = false;
    clicked_ = false;
    emit OnStartDrag();
    auto* data = static_cast<ControlDragData*>(DragData(this));
    QPointer<QDrag> drag = new QDrag(this);
    drag->setMimeData(data);
    const Qt::DropAction action = drag->exec(Qt::MoveAction);
    QWidget* target = nullptr;
    QPoint at;
    if (drag && action != Qt::IgnoreAction) {
        target = qobject_cast<QWidget*>(drag->target());
        if (target)
            at = data->dropPos.value_or(target->mapFromGlobal(QCursor::pos()));
    }
    if (drag)
        drag->deleteLater();
    emit OnEndDrag(target, at.x(), at.y());
}

bool TNovelLabel::offerDrag(QDropEvent* event, TDragState state) {
    const ControlDragData* data = controlDrag(event->mimeData());
    if (!data || !data->source) {
        event->ignore();
        return false;
    }
    const QPoint p = event->position().toPoint();
    bool accept = false;
    emit OnDragOver(data->source, p.x(), p.y(), state, &accept);
    if (accept)
        event->acceptProposedAction();
    else
        event->ignore();
    return accept;
}

void TNovelLabel::dragEnterEvent(QDragEnterEvent* event) {
    const ControlDragData* data = controlDrag(event->mimeData());
    dragSource_ = data ? data->source : nullptr;
    offerDrag(event, dsDragEnter);
}

void TNovelLabel::dragMoveEvent(QDragMoveEvent* event) {
    offerDrag(event, dsDragMove);
}

void TNovelLabel::dragLeaveEvent(QDragLeaveEvent*) {
    if (!dragSource_)
        return;
    bool accept = false;
    const QPoint p = mapFromGlobal(QCursor::pos());
    emit OnDragOver(dragSource_, p.x(), p.y(), dsDragLeave, &accept);
    dragSource_ = nullptr;
}

void TNovelLabel::dropEvent(QDropEvent* event) {
    auto* data = const_cast<ControlDragData*>(controlDrag(event->mimeData()));
    dragSource_ = nullptr;
    if (!data || !data->source) {
        event->ignore();
        return;
    }
    const QPoint p = event->position().toPoint();
    data->dropPos = p;
    emit OnDragDrop(data->source, p.x(), p.y());
    event->acceptProposedAction();
}

void TNovelLabel::connectNotify(const QMetaMethod& signal) {
    // Only labels someone listens to become drop targets or follow a pointer without a press.
    if (signal == QMetaMethod::fromSignal(&TNovelLabel::OnDragOver))
        setAcceptDrops(true);
    else if (signal == QMetaMethod::fromSignal(&TNovelLabel::OnMouseMove))
        setMouseTracking(true);
}

}  // namespace kelvo
