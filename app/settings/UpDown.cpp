#include "app/settings/UpDown.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <algorithm>
#include <charconv>
#include <optional>

namespace kelvo {
namespace {

// The number an up-down reads from its edit: the whole text one decimal integer.
std::optional<int> integerText(const QString& text) {
    const QByteArray bytes = text.trimmed().toLatin1();
    if (bytes.isEmpty() || bytes.size() > 11)
        return std::nullopt;
    const char* begin = bytes.constData();
    const char* end = begin + bytes.size();
    if (*begin == '+')
        ++begin;
    int value = 0;
    auto r = std::from_chars(begin, end, value);
    if (r.ec != std::errc() || r.ptr != end)
        return std::nullopt;
    return value;
}

}  // namespace

TUpDown::TUpDown(QWidget* parent)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {up_, down_}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setIconSize(QSize(5, 5));
    }
    setFocusPolicy(Qt::NoFocus);
    connect(up_, &QToolButton::clicked, this, [this] { step(+1); });
    connect(down_, &QToolButton::clicked, this, [this] { step(-1); });
}

int TUpDown::clamp16(int value) {
    return std::clamp(value, -32768, 32767);
}

void TUpDown::setMin(int value) {
    min_ = clamp16(value);
}

void TUpDown::setMax(int value) {
    max_ = clamp16(value);
}

int TUpDown::Position() const {
    if (associate_) {
        std::optional<int> typed = integerText(associate_->text());
        if (typed && *typed >= min_ && *typed <= max_)
            return *typed;
    }
    return position_;
}

void TUpDown::setPosition(int value) {
    position_ = std::clamp(value, min_, std::max(min_, max_));
    writeAssociate();
}

void TUpDown::setAssociate(QLineEdit* edit) {
    if (associate_)
        associate_->removeEventFilter(this);
    associate_ = edit;
    if (associate_)
        associate_->installEventFilter(this);
}

void TUpDown::step(int direction) {
    if (!isEnabled())
        return;
    const int from = Position();
    int to = from + direction * increment_;
    if (to > max_)
        to = wrap_ ? min_ : max_;
    else if (to < min_)
        to = wrap_ ? max_ : min_;
    if (to == from && position_ == from)
        return;
    position_ = to;
    writeAssociate();
    emit Click(position_);
}

void TUpDown::writeAssociate() {
    if (associate_)
        associate_->setText(QString::number(position_));
}

bool TUpDown::eventFilter(QObject* watched, QEvent* event) {
    // The event type first: a dying edit still sends events, and is no QLineEdit by then.
    if (event->type() == QEvent::KeyPress && arrowKeys_ && watched == associate_) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            step(key == Qt::Key_Up ? +1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TUpDown::resizeEvent(QResizeEvent*) {
    const int half = height() / 2;
    up_->setGeometry(0, 0, width(), half);
    down_->setGeometry(0, half, width(), height() - half);
}

}  // namespace kelvo
