#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <set>

#include "app/cli/SecondInstance.h"
#include "app/common/Formats.h"
#include "app/settings/SettingFrm.h"
#include "app/window/Fonts.h"
#include "app/window/MainForm.h"
#include "components/novellabel/NovelLbl.h"
#include "platform/fake/FakePlatform.h"
#include "tests/app/DecimalCommaLocale.h"
#include "tests/settings/ModalDriver.h"
#include "tests/support/MainFormSeam.h"
#include "ui_MainForm.h"
#include "ui_SettingFrm.h"

namespace kelvo {
namespace {

class MainFormTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { installFontFallbacks(); }
    void SetUp() override { fake_.setMemoryMB(1024, 256, 75); }

    TNovelLabel* label(TMainForm& f, const char* name) {
        auto* l = f.findChild<TNovelLabel*>(name);
        EXPECT_NE(l, nullptr) << name;
        return l;
    }

    FakePlatform fake_;
};

// A frameless window shows each control whole, but the clean's row, kept out of sight until a
// clean; each menu item says what it does, and a double click restores.
TEST_F(MainFormTest, ShowsEachControlWholeAndTheCleanRowOutOfSight) {
    TMainForm form(fake_);
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    const std::set<const QWidget*> cleanRow{form.ui().stcInfo, form.ui().btnStop};
    for (const QWidget* w : form.findChildren<QWidget*>()) {
        if (w->window() != &form || !w->isVisibleTo(&form))
            continue;
        const QRect at(w->mapTo(&form, QPoint()), w->size());
        EXPECT_EQ(form.rect().contains(at), !cleanRow.contains(w)) << w->objectName().toStdString();
        EXPECT_EQ(form.rect().intersects(at), !cleanRow.contains(w));
    }
    QStringList items;
    for (const QAction* a : form.PopupMenu()->actions())
        if (!a->isSeparator())
            items << a->text();
    EXPECT_FALSE(items.contains(QString()));
    EXPECT_EQ(items.removeDuplicates(), 0);
    EXPECT_EQ(form.PopupMenu()->defaultAction()->objectName(), "pmRestore");
}

TEST_F(MainFormTest, WithoutResourcesFunctionTheColumnGoesAndFiguresMoveRight) {
    TMainForm form(fake_);
    EXPECT_TRUE(label(form, "nlblResSys")->isHidden());
    EXPECT_TRUE(label(form, "nlblResUser")->isHidden());
    EXPECT_TRUE(label(form, "nlblResGdi")->isHidden());
    EXPECT_TRUE(form.ui().Bevel3->isHidden());
    EXPECT_EQ(label(form, "nlblTitleInfo")->Caption(), QStringLiteral("空き   使用     合計"));
    // Widened so that six-digit figures fit; the used and total columns stay right of 76 and at
    // 132.
    EXPECT_EQ(label(form, "nlblPhysicalUse")->x(), 80);
    EXPECT_EQ(label(form, "nlblVirtualTotal")->x(), 132);
    EXPECT_LE(label(form, "nlblPageTotal")->geometry().right(), 198);
}

TEST_F(MainFormTest, WithResourcesFunctionTheDesignLayoutStays) {
    std::vector<int> calls;
    fake_.freeResources = [&](int32_t which) -> uint16_t {
        calls.push_back(which);
        return which == 0 ? 80 : 65;
    };
    TMainForm form(fake_);
    EXPECT_FALSE(label(form, "nlblResSys")->isHidden());
    EXPECT_EQ(label(form, "nlblPhysicalUse")->geometry(), QRect(71, 33, 36, 12));
    EXPECT_EQ(label(form, "nlblTitleInfo")->Caption(), QStringLiteral("空き  使用   合計   残RES"));
    form.timSubTimer();
    EXPECT_EQ(calls, (std::vector<int>{0, 1}));
    EXPECT_EQ(label(form, "nlblResSys")->Caption(), "65%");
    EXPECT_EQ(label(form, "nlblResUser")->Caption(), "80%");
    EXPECT_EQ(label(form, "nlblResGdi")->Caption(), "65%");
}

TEST_F(MainFormTest, ReadoutWritesOnlyCaptionsThatChanged) {
    TMainForm form(fake_);
    MainFormSeam::FirstTick(form) = false;
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    for (TNovelLabel* l : form.findChildren<TNovelLabel*>())
        spies.push_back(std::make_unique<QSignalSpy>(l, &TNovelLabel::captionChanged));
    auto writes = [&] {
        int n = 0;
        for (auto& s : spies)
            n += s->count(), s->clear();
        return n;
    };
    form.timMainTimer();
    EXPECT_EQ(writes(), 10);  // the first tick replaces every placeholder
    EXPECT_EQ(label(form, "nlblPhysicalFree")->Caption(), "256.0");
    EXPECT_EQ(label(form, "nlblPhysicalUse")->Caption(), "768.0");
    EXPECT_EQ(label(form, "nlblPhysicalTotal")->Caption(), "1024.0 MB");
    EXPECT_EQ(label(form, "nlblUsePer")->Caption(), " 75%");
    form.timMainTimer();
    EXPECT_EQ(writes(), 0);
    fake_.memory.dwAvailPhys += 1024;  // below the shown precision
    form.timMainTimer();
    EXPECT_EQ(writes(), 0);
    fake_.memory.dwAvailPhys += 1 << 20;
    form.timMainTimer();
    EXPECT_EQ(writes(), 2);  // free and used physical

    // Even the largest count a sample can carry is written on the first tick.
    fake_.memory.dwTotalVirtual = fake_.memory.dwAvailVirtual = UINT64_MAX;
    TMainForm huge(fake_);
    MainFormSeam::FirstTick(huge) = false;
    huge.timMainTimer();
    EXPECT_EQ(label(huge, "nlblVirtualFree")->Caption(), formatMB(UINT64_MAX));
}

// The processor label first, then physical, virtual and page-file memory, each free, used and
// total, then the load.
TEST_F(MainFormTest, ReadoutWritesInItsOrder) {
    TMainForm form(fake_);
    MainFormSeam::FirstTick(form) = false;
    form.show();
    form.timMainTimer();
    TNovelLabel* cpu = label(form, "nlblCpuUsePer");
    ASSERT_FALSE(cpu->isVisible());

    fake_.memory = {};
    fake_.setMemoryMB(2048, 512, 80);
    fake_.memory.dwTotalVirtual = 4096ull << 20;
    fake_.memory.dwAvailVirtual = 1024ull << 20;
    fake_.memory.dwTotalPageFile = 512ull << 20;
    fake_.memory.dwAvailPageFile = 128ull << 20;
    form.SettingFrm().ui().ckbCpuPer->setChecked(true);
    QStringList order;
    for (TNovelLabel* l : form.findChildren<TNovelLabel*>()) {
        QObject::connect(l, &TNovelLabel::captionChanged, [&order, l, cpu] {
            order << l->objectName() + "=" + l->Caption() + (cpu->isVisible() ? "" : " (no CPU)");
        });
    }
    form.timMainTimer();
    EXPECT_EQ(order, (QStringList{"nlblPhysicalFree=512.0", "nlblPhysicalUse=1536.0",
                                  "nlblPhysicalTotal=2048.0 MB", "nlblVirtualFree=1024.0",
                                  "nlblVirtualUse=3072.0", "nlblVirtualTotal=4096.0 MB",
                                  "nlblPageFree=128.0", "nlblPageUse=384.0",
                                  "nlblPageTotal=512.0 MB", "nlblUsePer= 80%"}));
}

TEST_F(MainFormTest, SmallModeKeepsTheLastTextsWhileSamplingGoesOn) {
    TMainForm form(fake_);
    MainFormSeam::FirstTick(form) = false;
    form.timMainTimer();
    MainFormSeam::SmallMode(form) = true;
    fake_.setMemoryMB(1024, 512, 50);
    int before = fake_.memoryStatusCalls;
    form.timMainTimer();
    form.timSubTimer();
    EXPECT_EQ(fake_.memoryStatusCalls, before + 2);
    EXPECT_EQ(label(form, "nlblUsePer")->Caption(), " 75%");
}

TEST_F(MainFormTest, FiguresOfA128GiBMachineShowWhole) {
    fake_.memory.dwTotalPhys = 128ull << 30;
    fake_.memory.dwAvailPhys = (128ull << 30) - (1ull << 20);
    fake_.memory.dwTotalPageFile = fake_.memory.dwAvailPageFile = 128ull << 30;
    fake_.memory.dwTotalVirtual = fake_.memory.dwAvailVirtual = 128ull << 30;
    TMainForm form(fake_);
    MainFormSeam::FirstTick(form) = false;
    form.timMainTimer();
    for (const char* name :
         {"nlblPhysicalFree", "nlblPhysicalTotal", "nlblPageUse", "nlblVirtualTotal"}) {
        TNovelLabel* l = label(form, name);
        QFontMetrics fm(l->font());
        EXPECT_LE(fm.horizontalAdvance(l->Caption()), l->width())
            << name << " " << l->Caption().toStdString();
    }
    EXPECT_EQ(label(form, "nlblPhysicalTotal")->Caption(), "131072.0 MB");
}

TEST_F(MainFormTest, FiguresKeepTheirFullStopUnderADecimalCommaLocale) {
    test::DecimalCommaLocale german;
    ASSERT_TRUE(german.active());
    fake_.setMemoryMB(23497.4, 3.5, 75);
    TMainForm form(fake_);
    form.FormCreate();
    MainFormSeam::FirstTick(form) = false;
    form.timMainTimer();
    EXPECT_EQ(label(form, "nlblPhysicalTotal")->Caption(), "23497.4 MB");
    EXPECT_EQ(label(form, "nlblPhysicalFree")->Caption(), " 3.5");
    EXPECT_EQ(form.TrayIcon()->toolTip(), " 3.5MB Free");
    EXPECT_EQ(form.SettingFrm().ui().stcMemSize->text(), "[11748.7 MB] ");
    form.FormDestroy();
}

TEST(SecondInstance, IsToldInItsOwnWordsAndTheFirstGoesOn) {
    FakePlatform fake;
    EXPECT_FALSE(refuseSecondInstance(*fake.createInstanceLock("KELVO_EXE")));
    fake.heldLocks = {"KELVO_EXE"};
    QString shown;
    test::acceptNextMessage(&shown);
    EXPECT_TRUE(refuseSecondInstance(*fake.createInstanceLock("KELVO_EXE")));
    EXPECT_EQ(shown, QStringLiteral("プログラムの二重起動はできません。"));
}

}  // namespace
}  // namespace kelvo
