#include "app/settings/SettingFrm.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionFrame>
#include <algorithm>

#include "app/common/ErrorBox.h"
#include "app/common/Formats.h"
#include "app/common/Hints.h"
#include "app/settings/StrToInt.h"
#include "app/settings/UpDown.h"
#include "components/SysColors.h"
#include "platform/Platform.h"
#include "profile/SettingsKeys.h"
#include "ui_SettingFrm.h"

namespace kelvo {

TSettingFrm::TSettingFrm(Platform& platform, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint),
      platform_(platform),
      ui_(std::make_unique<Ui::TSettingFrm>()) {
    ui_->setupUi(this);
    applyDesignLook();
    // For the largest maximum either field can have: 32767 MB, and a drop of 100 points.
    fitNumberField(ui_->edtMem, ui_->udMem, ui_->lblAuto,
                   static_cast<int>(QString::number(limits::kUpDownCeiling).size()));
    fitNumberField(ui_->edtUsePer, ui_->udUsePer, ui_->lblAutoPer,
                   static_cast<int>(QString::number(limits::kLoadDropMax).size()));
    ui_->udMem->setAssociate(ui_->edtMem);
    ui_->udUsePer->setAssociate(ui_->edtUsePer);
    connectHandlers();
    trkberMemPerChange();
}

TSettingFrm::~TSettingFrm() = default;

void TSettingFrm::applyDesignLook() {
    setFixedSize(523, 276);
    QFont base = font();
    base.setPixelSize(12);
    setFont(base);
    QFont fixed = ui_->stctxtMemSize->font();
    fixed.setPixelSize(12);
    fixed.setFixedPitch(true);
    fixed.setStyleHint(QFont::Monospace);
    ui_->stctxtMemSize->setFont(fixed);
    // Greyed-out numbers stay readable on the edits' button-face background.
    for (QLineEdit* edit : {ui_->edtMem, ui_->edtUsePer}) {
        QPalette p = edit->palette();
        p.setColor(QPalette::Disabled, QPalette::Text, syscolor::clBtnShadow);
        edit->setPalette(p);
    }
    // Hints marked in the form as not shown keep their text for later but stay silent.
    for (QWidget* w : findChildren<QWidget*>()) {
        const QVariant show = w->property("showHint");
        if (show.isValid() && !show.toBool())
            setShowHint(w, false);
    }
}

// The design's fields are 25 pixels wide, two digits of its font: a threshold of 1000 MB showed
// as "000". The field grows to its digits (in the widest digit of the font in use); its up-down
// follows it, and the label behind takes what is left up to its own right edge, never less than
// its text.
void TSettingFrm::fitNumberField(QLineEdit* edit, TUpDown* upDown, QLabel* label, int digits) {
    const QFontMetrics fm(edit->font());
    int digitWidth = 0;
    for (char c = '0'; c <= '9'; ++c)
        digitWidth = std::max(digitWidth, fm.horizontalAdvance(QLatin1Char(c)));
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
    const QMargins margins = edit->textMargins();
    // The line edit keeps 2 pixels of its own on each side, and one for the cursor.
    const QSize text(digitWidth * digits + 2 * 2 + 1 + margins.left() + margins.right(),
                     fm.height());
    const int width =
        std::max(edit->width(),
                 edit->style()->sizeFromContents(QStyle::CT_LineEdit, &option, text, edit).width());
    const int grown = width - edit->width();
    edit->resize(width, edit->height());
    upDown->move(upDown->x() + grown, upDown->y());
    const int right = label->geometry().right();
    const int left = std::max(label->x(), upDown->geometry().right() + 1);
    const int labelWidth =
        std::max(right - left + 1, label->fontMetrics().horizontalAdvance(label->text()));
    label->setGeometry(left, label->y(), labelWidth, label->height());
}

void TSettingFrm::connectHandlers() {
    Ui::TSettingFrm& u = *ui_;
    connect(u.btnOk, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(u.btnCancel, &QPushButton::clicked, this, [this] { done(mrCancel); });
    connect(u.trkberMemPer, &QSlider::valueChanged, this, &TSettingFrm::trkberMemPerChange);
    connect(u.edtMem, &QLineEdit::textChanged, this, &TSettingFrm::edtMemChange);
    connect(u.edtUsePer, &QLineEdit::textChanged, this, &TSettingFrm::edtUsePerChange);
    connect(u.chkbAuto, &QCheckBox::toggled, this, &TSettingFrm::chkbAutoClick);
    for (QCheckBox* box : {u.chkbMinExec, u.chkbFreeInc, u.chkbNot100Per})
        connect(box, &QCheckBox::toggled, this, [this, box] { chkbAutoCleanClick(box); });
    connect(u.ckbStopCpuPer, &QCheckBox::toggled, this, &TSettingFrm::ckbStopCpuPerClick);
    connect(u.ckbCpuPer, &QCheckBox::toggled, this, &TSettingFrm::ckbCpuPerClick);
}

std::optional<TSettingFrm::ModalResult> TSettingFrm::ShowModal() {
    if (isVisible()) {
        ShowError(QStringLiteral("表示されているウィンドウをモーダルにすることはできません"), this);
        return std::nullopt;
    }
    return exec() == mrOk ? mrOk : mrCancel;
}

// The close button and Escape close the dialog as Cancel does.
void TSettingFrm::reject() {
    done(mrCancel);
}

bool TSettingFrm::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate)
        FormActivate();
    return QDialog::event(e);
}

void TSettingFrm::showEvent(QShowEvent* e) {
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    QDialog::showEvent(e);
}

// Neither button is a default one: Enter in a number field or on a check box does nothing, and
// on a focused button it presses that button.
void TSettingFrm::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()))
            button->click();
        return;
    }
    QDialog::keyPressEvent(e);
}

// The dialog has no minimise button of its own, but some window managers offer one anyway. A
// minimised modal dialog would leave a program that takes no input and shows nothing to
// click, so it comes straight back.
void TSettingFrm::changeEvent(QEvent* e) {
    QDialog::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange && isMinimized())
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!isMinimized() || !isVisible())
                    return;
                setWindowState(windowState() & ~Qt::WindowMinimized);
                activateWindow();
            },
            Qt::QueuedConnection);
}

void TSettingFrm::FormActivate() {
    if (ui_->ckbStayOnTop->isChecked())
        raise();
}

void TSettingFrm::trkberMemPerChange() {
    MEMORYSTATUS status;
    platform_.GlobalMemoryStatus(status);
    const int p = ui_->trkberMemPer->value();
    ui_->stctxtMemSize->setText(formatInt(" 物理メモリ掃除の割合：%2d ％", p));
    const long double mb = static_cast<long double>(status.dwTotalPhys) / 1048576 * p * 0.01L;
    ui_->stcMemSize->setText(formatDouble("[%3.1lf MB] ", static_cast<double>(mb)));
}

void TSettingFrm::holdInRange(QLineEdit* edit, const TUpDown* upDown) {
    // Each setText raises this handler again, which then finds the text in range.
    std::optional<int32_t> value = StrToInt(edit->text());
    if (!value) {
        ShowError(notAnIntegerMessage(edit->text()), this);
        return;
    }
    if (*value > upDown->Max())
        edit->setText(QString::number(upDown->Max()));
    value = StrToInt(edit->text());
    if (!value) {
        ShowError(notAnIntegerMessage(edit->text()), this);
        return;
    }
    if (*value < upDown->Min())
        edit->setText(QString::number(upDown->Min()));
}

void TSettingFrm::edtMemChange() {
    holdInRange(ui_->edtMem, ui_->udMem);
}

void TSettingFrm::edtUsePerChange() {
    holdInRange(ui_->edtUsePer, ui_->udUsePer);
}

void TSettingFrm::chkbAutoClick() {
    const bool on = ui_->chkbAuto->isChecked();
    Ui::TSettingFrm& u = *ui_;
    for (QWidget* w :
         std::initializer_list<QWidget*>{u.edtMem, u.udMem, u.edtUsePer, u.udUsePer, u.chkbMinExec,
                                         u.lblAuto, u.chkbFreeInc, u.chkbNot100Per, u.lblAutoPer})
        w->setEnabled(on);
}

void TSettingFrm::chkbAutoCleanClick(QCheckBox* sender) {
    Ui::TSettingFrm& u = *ui_;
    if (!u.chkbMinExec->isChecked() && !u.chkbFreeInc->isChecked() && !u.chkbNot100Per->isChecked())
        sender->setChecked(true);
}

void TSettingFrm::ckbStopCpuPerClick() {
    if (ui_->ckbStopCpuPer->isChecked())
        ui_->ckbCpuPer->setChecked(true);
}

bool TSettingFrm::stayOnTop() const {
    return ui_->ckbStayOnTop->isChecked();
}
bool TSettingFrm::hideHints() const {
    return ui_->chkbHideHint->isChecked();
}
bool TSettingFrm::dontCatch() const {
    return ui_->ckbDontCatch->isChecked();
}
bool TSettingFrm::showCpuUsage() const {
    return ui_->ckbCpuPer->isChecked();
}
bool TSettingFrm::pauseCleanAtFullCpu() const {
    return ui_->ckbStopCpuPer->isChecked();
}
bool TSettingFrm::hideTaskBarButton() const {
    return ui_->ckbTaskBarHide->isChecked();
}
int TSettingFrm::cleanPercent() const {
    return ui_->trkberMemPer->value();
}
bool TSettingFrm::autoCleanSize() const {
    return ui_->chkbAutoMem->isChecked();
}
bool TSettingFrm::autoClean() const {
    return ui_->chkbAuto->isChecked();
}
bool TSettingFrm::autoOnLowMemory() const {
    return ui_->chkbMinExec->isChecked();
}
int TSettingFrm::lowMemoryMB() const {
    return ui_->udMem->Position();
}
bool TSettingFrm::autoOnLoadDrop() const {
    return ui_->chkbFreeInc->isChecked();
}
int TSettingFrm::loadDropPoints() const {
    return ui_->udUsePer->Position();
}
bool TSettingFrm::noAutoCleanAtFullLoad() const {
    return ui_->chkbNot100Per->isChecked();
}

}  // namespace kelvo
