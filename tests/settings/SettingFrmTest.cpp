#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "app/common/Hints.h"
#include "app/settings/SettingFrm.h"
#include "app/settings/UpDown.h"
#include "app/window/Fonts.h"
#include "platform/fake/FakePlatform.h"
#include "tests/settings/ModalDriver.h"
#include "ui_SettingFrm.h"

namespace kelvo {
namespace {

class SettingDialog : public testing::Test {
  protected:
    static void SetUpTestSuite() { installFontFallbacks(); }  // the program's fonts, as at start
    SettingDialog() {
        platform.setMemoryMB(256, 100, 40);
        frm = std::make_unique<TSettingFrm>(platform);
    }
    Ui::TSettingFrm& u() { return frm->ui(); }

    FakePlatform platform;
    std::unique_ptr<TSettingFrm> frm;
};

// A topmost dialog of one size, closed only by its button, showing each control whole.
TEST_F(SettingDialog, FormIsAFixedTopmostDialogWithOnlyAClosingButton) {
    EXPECT_EQ(frm->minimumSize(), frm->maximumSize());
    const Qt::WindowFlags f = frm->windowFlags();
    EXPECT_TRUE(f.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(f.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(f.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(f.testFlag(Qt::WindowMaximizeButtonHint));
    for (const QWidget* w : frm->findChildren<QWidget*>()) {
        if (w->window() != frm.get() || !w->isVisibleTo(frm.get()))
            continue;
        const QRect at(w->mapTo(frm.get(), QPoint()), w->size());
        EXPECT_TRUE(frm->rect().contains(at)) << w->objectName().toStdString();
    }
}

TEST_F(SettingDialog, SizeLabelsShowTheTrackBarsShareOfPhysicalMemory) {
    EXPECT_EQ(u().stctxtMemSize->text(), " 物理メモリ掃除の割合：50 ％");
    EXPECT_EQ(u().stcMemSize->text(), "[128.0 MB] ");
    u().trkberMemPer->setValue(5);
    EXPECT_EQ(u().stctxtMemSize->text(), " 物理メモリ掃除の割合： 5 ％");
    EXPECT_EQ(u().stcMemSize->text(), "[12.8 MB] ");
}

// Six-digit megabytes (a 128 GiB machine) fit beside the percentage, within the group box.
TEST_F(SettingDialog, BothSizeLabelsFitSideBySideUpToSixDigitMegabytes) {
    platform.setMemoryMB(128 * 1024, 100, 40);
    for (int p : {5, 50, 95}) {
        u().trkberMemPer->setValue(p);
        u().trkberMemPer->setValue(p == 50 ? 51 : 50);
        u().trkberMemPer->setValue(p);
        SCOPED_TRACE(u().stcMemSize->text().toStdString());
        QLabel* percent = u().stctxtMemSize;
        QLabel* size = u().stcMemSize;
        const int percentEnd =
            percent->x() + QFontMetrics(percent->font()).horizontalAdvance(percent->text());
        const int sizeWidth = QFontMetrics(size->font()).horizontalAdvance(size->text());
        EXPECT_LE(sizeWidth, size->width());
        EXPECT_LE(percentEnd, size->x() + size->width() - sizeWidth);
        EXPECT_LE(percentEnd, percent->x() + percent->width());
        EXPECT_LT(size->geometry().right(), u().groupBoxMem->width() - 1);
    }
    EXPECT_EQ(u().stcMemSize->text(), "[124518.4 MB] ");
}

// The fields hold every digit of the largest maximum each can have (32767 MB, 100 points): the
// design's 25 pixels showed 1000 as "000". The up-down stays attached, the label behind keeps its
// text whole and the field its button-face colour.
TEST_F(SettingDialog, EachNumberFieldShowsEveryDigitOfItsLargestMaximum) {
    struct Field {
        QLineEdit* edit;
        TUpDown* upDown;
        QLabel* label;
        int maximum;
    };
    u().chkbAuto->setChecked(true);
    for (const Field& f : {Field{u().edtMem, u().udMem, u().lblAuto, 32767},
                           Field{u().edtUsePer, u().udUsePer, u().lblAutoPer, 100}}) {
        SCOPED_TRACE(f.edit->objectName().toStdString());
        f.upDown->setMax(f.maximum);
        for (const QString& text :
             {QString::number(f.maximum),
              QStringLiteral("88888").left(QString::number(f.maximum).size())}) {
            f.edit->setText(text);
            f.edit->end(false);
            // With the cursor behind the last digit, a field too narrow scrolls the first one out.
            f.edit->grab();
            EXPECT_EQ(f.edit->cursorPositionAt(QPoint(4, f.edit->height() / 2)), 0)
                << "the first digit scrolled out of " << text.toStdString();
        }
        EXPECT_EQ(f.upDown->x(), f.edit->geometry().right() + 1);
        EXPECT_EQ(f.upDown->y(), f.edit->y());
        EXPECT_GE(f.label->x(), f.upDown->geometry().right() + 1);
        EXPECT_LE(QFontMetrics(f.label->font()).horizontalAdvance(f.label->text()),
                  f.label->width());
        EXPECT_LT(f.label->geometry().right(), u().groupBoxMem->width() - 1);
        for (bool enabled : {true, false}) {
            f.edit->setEnabled(enabled);
            EXPECT_EQ(
                f.edit->palette().color(f.edit->palette().currentColorGroup(), QPalette::Base),
                QColor(192, 192, 192));
        }
    }
}

TEST_F(SettingDialog, HintsAreShownOrOnlyStoredAsDesigned) {
    for (QWidget* shown : std::initializer_list<QWidget*>{
             u().btnOk, u().btnCancel, u().ckbStayOnTop, u().chkbHideHint, u().trkberMemPer,
             u().chkbAuto, u().chkbNot100Per}) {
        EXPECT_TRUE(showsHint(shown)) << shown->objectName().toStdString();
    }
    for (QWidget* silent : std::initializer_list<QWidget*>{
             u().ckbDontCatch, u().ckbCpuPer, u().ckbStopCpuPer, u().ckbTaskBarHide, u().lblAuto,
             u().lblAutoPer, u().edtMem, u().udMem, u().chkbMinExec, u().chkbFreeInc, u().edtUsePer,
             u().udUsePer, u().chkbAutoMem}) {
        EXPECT_FALSE(showsHint(silent)) << silent->objectName().toStdString();
        EXPECT_FALSE(hintOf(silent).isEmpty()) << silent->objectName().toStdString();
    }
    EXPECT_EQ(hintOf(u().udMem), hintOf(u().lblAuto));
    EXPECT_EQ(hintOf(u().chkbFreeInc), hintOf(u().lblAutoPer));
}

TEST_F(SettingDialog, TabOrderRunsButtonsThenOtherOptionsThenMemoryOptions) {
    const std::vector<QWidget*> order = {
        u().btnOk,        u().btnCancel,   u().chkbHideHint,  u().ckbStayOnTop,
        u().ckbDontCatch, u().ckbCpuPer,   u().ckbStopCpuPer, u().ckbTaskBarHide,
        u().trkberMemPer, u().chkbAutoMem, u().chkbAuto,      u().chkbMinExec,
        u().edtMem,       u().chkbFreeInc, u().edtUsePer,     u().chkbNot100Per};
    // The chain also passes controls that take no focus (labels, frames); they are left out.
    std::vector<QWidget*> chain;
    QWidget* w = u().btnOk;
    do {
        if (std::find(order.begin(), order.end(), w) != order.end())
            chain.push_back(w);
        w = w->nextInFocusChain();
    } while (w != u().btnOk && chain.size() < order.size());
    EXPECT_EQ(chain, order);
}

// Stopping at full processor usage turns the processor label on, but not the other way round;
// the last checked condition cannot be unchecked.
TEST_F(SettingDialog, CheckBoxRules) {
    u().ckbStopCpuPer->setChecked(true);
    EXPECT_TRUE(u().ckbCpuPer->isChecked());
    u().ckbCpuPer->setChecked(false);
    EXPECT_TRUE(u().ckbStopCpuPer->isChecked());
    u().chkbMinExec->setChecked(true);
    u().chkbMinExec->click();
    EXPECT_TRUE(u().chkbMinExec->isChecked());
    u().chkbNot100Per->setChecked(true);
    u().chkbMinExec->click();
    EXPECT_FALSE(u().chkbMinExec->isChecked());
    u().chkbNot100Per->setChecked(false);
    EXPECT_TRUE(u().chkbNot100Per->isChecked());
}

TEST_F(SettingDialog, AutomaticCleaningGreysOutItsNineControlsKeepingTheirValues) {
    u().chkbAuto->setChecked(true);
    u().chkbFreeInc->setChecked(true);
    u().edtUsePer->setText("7");
    u().chkbAuto->setChecked(false);
    for (QWidget* w : std::initializer_list<QWidget*>{
             u().edtMem, u().udMem, u().edtUsePer, u().udUsePer, u().chkbMinExec, u().lblAuto,
             u().chkbFreeInc, u().chkbNot100Per, u().lblAutoPer})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    EXPECT_TRUE(u().chkbAutoMem->isEnabled());
    EXPECT_TRUE(u().trkberMemPer->isEnabled());
    EXPECT_TRUE(u().chkbFreeInc->isChecked());
    EXPECT_EQ(frm->loadDropPoints(), 7);
}

TEST_F(SettingDialog, ChangeEventsFireOnCodeChangesButNeverWithoutAChange) {
    QSignalSpy track(u().trkberMemPer, &QSlider::valueChanged);
    QSignalSpy box(u().ckbCpuPer, &QCheckBox::toggled);
    QSignalSpy text(u().edtMem, &QLineEdit::textChanged);
    u().trkberMemPer->setValue(50);
    u().ckbCpuPer->setChecked(false);
    u().edtMem->setText("1");
    EXPECT_EQ(track.count() + box.count() + text.count(), 0);
    u().trkberMemPer->setValue(60);
    u().ckbCpuPer->setChecked(true);
    u().edtMem->setText("2");
    EXPECT_EQ(track.count(), 1);
    EXPECT_EQ(box.count(), 1);
    EXPECT_EQ(text.count(), 1);
}

TEST_F(SettingDialog, TypedNumbersAreHeldInTheUpDownsRangeAndOtherTextIsReported) {
    u().udMem->setMax(16);  // a 64 MB machine
    u().edtMem->setText("40");
    EXPECT_EQ(u().edtMem->text(), "16");
    u().edtMem->setText("0");
    EXPECT_EQ(u().edtMem->text(), "1");
    u().edtUsePer->setText("-5");
    EXPECT_EQ(u().edtUsePer->text(), "1");
    // Text that is no integer is reported and left as typed.
    for (const char* typed : {"", "x", "１２", "3 "}) {
        QString shown;
        test::acceptNextMessage(&shown);
        u().edtMem->setText(typed);
        EXPECT_EQ(shown, QString("'%1' は整数ではありません").arg(typed));
        EXPECT_EQ(u().edtMem->text(), typed);
    }
    u().edtMem->setText("$0A");  // hexadecimal converts, and is in range
    EXPECT_EQ(u().edtMem->text(), "$0A");
}

TEST_F(SettingDialog, OkCancelAndTheCloseButtonGiveTheirResults) {
    test::onNextModal([this](QWidget*) { u().btnOk->click(); });
    EXPECT_EQ(frm->ShowModal(), TSettingFrm::mrOk);
    test::onNextModal([this](QWidget*) { u().btnCancel->click(); });
    EXPECT_EQ(frm->ShowModal(), TSettingFrm::mrCancel);
    test::onNextModal([this](QWidget*) { frm->close(); });
    EXPECT_EQ(frm->ShowModal(), TSettingFrm::mrCancel);
}

TEST_F(SettingDialog, EnterPressesOnlyAFocusedButton) {
    EXPECT_FALSE(u().btnOk->isDefault() || u().btnOk->autoDefault());
    EXPECT_FALSE(u().btnCancel->isDefault() || u().btnCancel->autoDefault());
    bool openAfterEnter = false;
    u().chkbAuto->setChecked(true);  // the number fields take the focus only when enabled
    test::onNextModal([&](QWidget*) {
        u().edtMem->setFocus();
        EXPECT_EQ(frm->focusWidget(), u().edtMem);
        QTest::keyClick(u().edtMem, Qt::Key_Return);
        u().chkbAutoMem->setFocus();
        QTest::keyClick(u().chkbAutoMem, Qt::Key_Enter);
        openAfterEnter = frm->isVisible();
        u().btnCancel->setFocus();
        QTest::keyClick(u().btnCancel, Qt::Key_Return);
    });
    EXPECT_EQ(frm->ShowModal(), TSettingFrm::mrCancel);
    EXPECT_TRUE(openAfterEnter);
    test::onNextModal([&](QWidget*) {
        u().btnOk->setFocus();
        QTest::keyClick(u().btnOk, Qt::Key_Enter);
    });
    EXPECT_EQ(frm->ShowModal(), TSettingFrm::mrOk);
}

TEST_F(SettingDialog, AMinimisedDialogComesStraightBack) {
    bool back = false;
    test::onNextModal([&](QWidget*) {
        frm->setWindowState(Qt::WindowMinimized);
        for (int i = 0; i < 20 && frm->isMinimized(); ++i)
            QApplication::processEvents();
        back = !frm->isMinimized() && frm->isVisible();
        u().btnCancel->click();
    });
    frm->ShowModal();
    EXPECT_TRUE(back);
}

}  // namespace
}  // namespace kelvo
