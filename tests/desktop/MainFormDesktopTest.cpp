// The main window's desktop behaviour with a scripted pointer, Shift key and tray.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolButton>

#include "app/MainForm.h"
#include "app/SettingFrm.h"
#include "platform/fake/FakePlatform.h"
#include "tests/settings/ModalDriver.h"
#include "ui_MainForm.h"
#include "ui_SettingFrm.h"

namespace kelvo {
namespace {

const std::string kIni = "/opt/kelvo/kelvo.ini";

class MainFormDesktop : public testing::Test {
  public:
    MainFormDesktop() { platform.setMemoryMB(1024, 300, 70); }

    // The program's start: construction, the create event and the first tick.
    TMainForm& start(const std::string& ini = "[SYSTEM]\nXPos=300\nYPos=200\n") {
        platform.files.put(kIni, ini);
        form = std::make_unique<TMainForm>(platform);
        form->FormCreate();
        form->timMainTimer();
        return *form;
    }
    bool taskBarSkipped() { return platform.skipTaskBar[form->winId()]; }

    FakePlatform platform;
    std::unique_ptr<TMainForm> form;
};

// Each route into and out of small mode, with and without a tray and with the task-bar option.
struct Route {
    const char* name;
    std::function<void(MainFormDesktop&)> enter;
    std::function<void(MainFormDesktop&)> leave;
};

void PrintTo(const Route& route, std::ostream* os) {
    *os << route.name;
}

class SmallModeRoutes : public MainFormDesktop, public testing::WithParamInterface<Route> {};

TEST_P(SmallModeRoutes, EnterAndLeave) {
    for (bool tray : {true, false}) {
        SCOPED_TRACE(tray ? "with a tray" : "without a tray");
        platform.systemTray = tray;
        platform.skipTaskBar.clear();
        start("[SYSTEM]\nXPos=300\nYPos=200\n[DEFAULT]\nTaskBarHide=1\n");
        ASSERT_TRUE(form->isVisible());
        ASSERT_FALSE(form->isMinimized());
        GetParam().enter(*this);
        EXPECT_TRUE(form->SmallMode);
        EXPECT_TRUE(form->isMinimized());
        // Without a tray the task-bar button is the way back, whatever the option says.
        EXPECT_EQ(taskBarSkipped(), tray);
        GetParam().leave(*this);
        EXPECT_FALSE(form->SmallMode);
        EXPECT_FALSE(form->isMinimized());
        EXPECT_TRUE(form->isVisible());
        EXPECT_EQ(taskBarSkipped(), tray);
    }
}

void clickMinimize(MainFormDesktop& t) {
    t.form->ui().sbtnMinimize->click();
}
void minimizeByWindowManager(MainFormDesktop& t) {
    t.form->setWindowState(Qt::WindowMinimized);
}
void restoreItem(MainFormDesktop& t) {
    t.form->PopupMenu()->findChild<QAction*>("pmRestore")->trigger();
}
void trayDoubleClick(MainFormDesktop& t) {
    emit t.form->TrayIcon()->activated(QSystemTrayIcon::DoubleClick);
}
void taskBar(MainFormDesktop& t) {
    t.form->setWindowState(Qt::WindowNoState);
}
void settingsDialog(MainFormDesktop& t) {
    test::onNextModal([](QWidget* dialog) { static_cast<TSettingFrm*>(dialog)->reject(); });
    t.form->ui().sbtnConfig->click();
}

INSTANTIATE_TEST_SUITE_P(
    MainFormDesktop, SmallModeRoutes,
    testing::Values(Route{"MinimizeButtonThenTrayDoubleClick", clickMinimize, trayDoubleClick},
                    Route{"WindowManagerThenRestoreItem", minimizeByWindowManager, restoreItem},
                    Route{"MinimizeButtonThenTaskBar", clickMinimize, taskBar},
                    Route{"WindowManagerThenSettingsDialog", minimizeByWindowManager,
                          settingsDialog}),
    [](const testing::TestParamInfo<Route>& info) { return info.param.name; });

TEST_F(MainFormDesktop, StartInSmallModeAndRestore) {
    start("[SYSTEM]\nSmall=1\n");
    EXPECT_TRUE(form->SmallMode);
    EXPECT_TRUE(form->isMinimized());
    restoreItem(*this);
    EXPECT_FALSE(form->SmallMode);
    EXPECT_FALSE(form->isMinimized());
    EXPECT_TRUE(form->isVisible());
}

TEST_F(MainFormDesktop, RestoreActsOnlyOnAMinimisedApplication) {
    start();
    form->move(310, 210);
    trayDoubleClick(*this);
    EXPECT_FALSE(form->SmallMode);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->pos(), QPoint(310, 210));
    // A window hidden under the pointer is not minimised either: the restore leaves it hidden.
    form->SettingFrm().ui().ckbDontCatch->setChecked(true);
    platform.cursor = {320, 220};
    form->WMNCHitTest();
    ASSERT_TRUE(form->isHidden());
    restoreItem(*this);
    EXPECT_TRUE(form->isHidden());
}

TEST_F(MainFormDesktop, WithoutTheOptionTheTaskBarButtonStays) {
    start();
    clickMinimize(*this);
    EXPECT_FALSE(taskBarSkipped());
}

TEST_F(MainFormDesktop, ATrayThatGoesAwayGivesTheButtonBack) {
    start("[DEFAULT]\nTaskBarHide=1\n");
    clickMinimize(*this);
    ASSERT_TRUE(taskBarSkipped());
    platform.systemTray = false;
    form->timMainTimer();
    EXPECT_FALSE(taskBarSkipped());
    EXPECT_TRUE(form->isMinimized());
}

TEST_F(MainFormDesktop, HitTestDragsBelowTheStripAndOverTheCpuLabel) {
    start();
    platform.cursor = {300 + 50, 200 + 18};
    EXPECT_FALSE(form->WMNCHitTest());
    EXPECT_EQ(form->CursorPos, (ScreenPoint{350, 218}));
    platform.cursor = {300 + 50, 200 + 19};
    EXPECT_TRUE(form->WMNCHitTest());
    platform.cursor = {300 + 114, 200 + 2};
    EXPECT_TRUE(form->WMNCHitTest());
    platform.cursor = {300 + 165, 200 + 2};
    EXPECT_FALSE(form->WMNCHitTest());
    EXPECT_TRUE(form->isVisible());  // without the option nothing hides
}

TEST_F(MainFormDesktop, HidesUnderThePointerAndComesBackAtTheFirstTickOutside) {
    start("[SYSTEM]\nXPos=300\nYPos=200\n[DEFAULT]\nDontCatch=1\n");
    platform.cursor = {500, 280};  // the bottom right edge pixel counts as inside
    form->WMNCHitTest();
    EXPECT_TRUE(form->isHidden());
    EXPECT_FALSE(form->SmallMode);
    form->timMainTimer();
    EXPECT_TRUE(form->isHidden());
    platform.cursor = {501, 280};
    form->timMainTimer();
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->isMinimized());
}

TEST_F(MainFormDesktop, ShiftLetsThePointerReachTheWindow) {
    start("[SYSTEM]\nXPos=300\nYPos=200\n[DEFAULT]\nDontCatch=1\n");
    platform.cursor = {310, 205};
    platform.shiftDown = true;
    form->WMNCHitTest();
    EXPECT_TRUE(form->isVisible());
    platform.shiftDown = false;
    form->WMNCHitTest();
    EXPECT_TRUE(form->isHidden());
}

TEST_F(MainFormDesktop, InSmallModeThePointerNeitherHidesNorShowsTheWindow) {
    start("[SYSTEM]\nXPos=300\nYPos=200\n[DEFAULT]\nDontCatch=1\n");
    clickMinimize(*this);
    platform.cursor = {310, 205};
    form->WMNCHitTest();
    platform.cursor = {0, 0};
    form->timMainTimer();
    EXPECT_TRUE(form->SmallMode);
    EXPECT_TRUE(form->isMinimized());
    EXPECT_FALSE(form->isHidden());
}

TEST_F(MainFormDesktop, AHiddenWindowKeepsTheTaskBarHintAtEveryTick) {
    start("[SYSTEM]\nXPos=300\nYPos=200\n[DEFAULT]\nDontCatch=1\nTaskBarHide=1\n");
    platform.cursor = {310, 205};
    form->WMNCHitTest();
    platform.skipTaskBar.clear();
    form->timMainTimer();
    EXPECT_TRUE(taskBarSkipped());
}

TEST_F(MainFormDesktop, TrayTipStartsAsTheNameAndFollowsFreeMemoryOnlyOnAChange) {
    platform.files.put(kIni, "");
    form = std::make_unique<TMainForm>(platform);
    form->FormCreate();
    EXPECT_EQ(form->TrayIcon()->toolTip(), QStringLiteral("Kelvo"));
    form->timMainTimer();
    EXPECT_EQ(form->TrayIcon()->toolTip(), QStringLiteral("300.0MB Free"));
    form->TrayIcon()->setToolTip("marker");
    form->timMainTimer();  // the same free memory: the tip is not written
    EXPECT_EQ(form->TrayIcon()->toolTip(), QStringLiteral("marker"));
    platform.setMemoryMB(1024, 299.97, 70);
    form->timMainTimer();
    EXPECT_EQ(form->TrayIcon()->toolTip(), QStringLiteral("300.0MB Free"));
    // In small mode too: the tip is all there is to read.
    clickMinimize(*this);
    platform.setMemoryMB(1024, 12.34, 70);
    form->timMainTimer();
    EXPECT_EQ(form->TrayIcon()->toolTip(), QStringLiteral("12.3MB Free"));
    form->FormDestroy();
    EXPECT_EQ(form->TrayIcon(), nullptr);
}

TEST_F(MainFormDesktop, TrayMenuOpensAtThePointerWithModalOpenSetMeanwhile) {
    start();
    platform.cursor = {40, 30};
    bool modalWhileOpen = false;
    QPoint shownAt;
    QTimer watch;
    watch.setInterval(2);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        watch.stop();
        modalWhileOpen = form->ModalOpen;
        shownAt = menu->pos();
        menu->close();
    });
    watch.start();
    emit form->TrayIcon()->activated(QSystemTrayIcon::Context);
    EXPECT_FALSE(form->ModalOpen);  // the menu opens after the tray's event handler
    for (int i = 0; i < 500 && watch.isActive(); ++i)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    EXPECT_TRUE(modalWhileOpen);
    EXPECT_EQ(shownAt, QPoint(40, 30));
    EXPECT_FALSE(form->ModalOpen);
}

TEST_F(MainFormDesktop, DeactivationKeepsTheTaskBarHintWhenOnTop) {
    start("[DEFAULT]\nStayOnTop=1\nTaskBarHide=1\n");
    platform.skipTaskBar.clear();
    form->AppDeactivate();
    EXPECT_TRUE(taskBarSkipped());
    platform.skipTaskBar.clear();
    clickMinimize(*this);
    platform.skipTaskBar.clear();
    form->AppDeactivate();  // nothing in small mode
    EXPECT_TRUE(platform.skipTaskBar.empty());
}

}  // namespace
}  // namespace kelvo
