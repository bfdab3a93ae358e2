#include "components/NovelLbl.h"

#include <QEvent>
#include <QKeySequence>
#include <QPainter>
#include <QShortcut>
#include <vector>

#include "components/SysColors.h"

namespace kelvo {
namespace {

// Labels created while a form is being read, innermost scope last.
std::vector<std::vector<QPointer<TNovelLabel>>> g_readScopes;

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
    : QWidget(parent), color_(syscolor::clWindow), fontColor_(syscolor::clBtnText) {
    setAttribute(Qt::WA_OpaquePaintEvent, true);  // a new label is opaque
    if (!g_readScopes.empty()) {
        reading_ = true;
        g_readScopes.back().emplace_back(this);
    }
    resize(65, 17);
}

void TNovelLabel::setCaption(const QString& text) {
    if (text == caption_)
        return;
    caption_ = text;
    if (drawRefresh_)
        update();
    AdjustBounds();
    updateShortcut();
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

void TNovelLabel::setFontColor(const QColor& c) {
    if (c == fontColor_)
        return;
    fontColor_ = c;
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
    updateShortcut();
}

void TNovelLabel::setShowAccelChar(bool on) {
    if (on == showAccelChar_)
        return;
    showAccelChar_ = on;
    update();
    updateShortcut();
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
        drawFormattedText(painter, f, text, r, flags);
    };
    if (!isEnabled()) {
        r.offset(1, 1);
        draw(syscolor::clBtnHighlight);
        r.offset(-1, -1);
        draw(syscolor::clBtnShadow);
    } else if (textShadow_) {
        r.offset(1, 1);
        draw(Color());
        r.offset(-1, -1);
        draw(fontColor_);
    } else {
        draw(fontColor_);
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
    if (!focusControl_ || !isEnabled() || !showAccelChar_)
        return false;
    QKeySequence accel = QKeySequence::mnemonic(caption_);
    if (accel.isEmpty() || accel != QKeySequence::mnemonic(QStringLiteral("&") + key))
        return false;
    if (!focusControl_->isEnabled() || !focusControl_->isVisible() ||
        focusControl_->focusPolicy() == Qt::NoFocus) {
        return false;
    }
    focusControl_->setFocus(Qt::ShortcutFocusReason);
    return true;
}

void TNovelLabel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange)
        AdjustBounds();
    if (event->type() == QEvent::EnabledChange)
        update();
    QWidget::changeEvent(event);
}

void TNovelLabel::updateShortcut() {
    QKeySequence accel =
        showAccelChar_ && focusControl_ ? QKeySequence::mnemonic(caption_) : QKeySequence();
    if (accel.isEmpty()) {
        delete shortcut_;
        shortcut_ = nullptr;
        return;
    }
    if (!shortcut_) {
        shortcut_ = new QShortcut(this);
        connect(shortcut_, &QShortcut::activated, this, [this] {
            QString mnemonic = shortcut_->key().toString();
            CMDialogChar(mnemonic.isEmpty() ? QChar() : mnemonic.back());
        });
    }
    shortcut_->setKey(accel);
}

}  // namespace kelvo
