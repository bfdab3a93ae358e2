#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalSpy>

#include "app/settings/UpDown.h"

namespace kelvo {
namespace {

class UpDown : public testing::Test {
  protected:
    void SetUp() override {
        ud.setMin(1);
        ud.setMax(16);
        ud.setAssociate(&edit);
        ud.setPosition(1);
    }
    QLineEdit edit;
    TUpDown ud;
};

TEST_F(UpDown, StepsWithinItsRangeWithoutWrappingAndWritesTheEdit) {
    QSignalSpy changes(&edit, &QLineEdit::textChanged);
    ud.step(-1);
    EXPECT_EQ(edit.text(), "1");
    EXPECT_EQ(changes.count(), 0);
    ud.setPosition(15);
    ud.step(+1);
    ud.step(+1);
    EXPECT_EQ(edit.text(), "16");
    EXPECT_EQ(ud.Position(), 16);
    EXPECT_EQ(changes.count(), 2);  // 15, 16; the step at the top changes nothing
}

TEST_F(UpDown, SetPositionHoldsTheValueInRange) {
    ud.setPosition(40);
    EXPECT_EQ(edit.text(), "16");
    ud.setPosition(-3);
    EXPECT_EQ(edit.text(), "1");
}

TEST_F(UpDown, ATypedInRangeNumberIsThePositionAndOtherTextIsNot) {
    ud.setPosition(5);
    edit.setText("9");
    EXPECT_EQ(ud.Position(), 9);
    ud.step(+1);
    EXPECT_EQ(edit.text(), "10");
    edit.setText("abc");
    EXPECT_EQ(ud.Position(), 10);
    edit.setText("99");
    EXPECT_EQ(ud.Position(), 10);
    ud.step(-1);
    EXPECT_EQ(edit.text(), "9");
}

TEST_F(UpDown, ArrowKeysInTheEditStepAndADisabledUpDownDoesNot) {
    QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    QApplication::sendEvent(&edit, &up);
    EXPECT_EQ(edit.text(), "2");
    ud.setEnabled(false);
    ud.step(+1);
    EXPECT_EQ(edit.text(), "2");
}

TEST_F(UpDown, PositionsAreSigned16Bit) {
    ud.setMax(100000);
    EXPECT_EQ(ud.Max(), 32767);
    ud.setPosition(40000);
    EXPECT_EQ(ud.Position(), 32767);
}

}  // namespace
}  // namespace kelvo
