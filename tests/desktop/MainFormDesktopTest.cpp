// The main window's desktop behaviour with a scripted pointer, Shift key and tray.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

#include "app/settings/SettingFrm.h"
#include "app/window/MainForm.h"
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
        EXPECT_TRUE(form->IsSmallMode());
        EXPECT_TRUE(form->isMinimized());
        // Without a tray the task-bar button is the way back, whatever the option says.
        EXPECT_EQ(taskBarSkipped(), tray);
        GetParam().leave(*this);
        EXPECT_FALSE(form->IsSmallMode());
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
    EXPECT_TRUE(form->IsSmallMode());
    EXPECT_TRUE(form->isMinimized());
    restoreItem(*this);
    EXPECT_FALSE(form->IsSmallMode());
    EXPECT_FALSE(form->isMinimized());
    EXPECT_TRUE(form->isVisible());
}

TEST_F(MainFormDesktop, RestoreActsOnlyOnAMinimisedApplication) {
    start();
    form->move(310, 210);
    trayDoubleClick(*this);
    EXPECT_FALSE(form->IsSmallMode());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->pos(), QPoint(310, 210));
    // A window hidden under the pointer is not minimised either: the restore leaves it hidden.
    form->SettingFrm().ui().ckbDontCatch->setChecked(true);
    platform.cursor = {320, 220};
    form->WMNCHitTest();
    ASSERT_TRUE(form->HiddenUnderPointer());
    restoreItem(*this);
    EXPECT_TRUE(form->HiddenUnderPointer());
}

// Without the option, or once the tray has gone, the task-bar button stays.
TEST_F(MainFormDesktop, TheTaskBarButtonGoesOnlyWithTheOptionAndWhileThereIsATray) {
    start();
    clickMinimize(*this);
    EXPECT_FALSE(taskBarSkipped());
    start("[DEFAULT]\nTaskBarHide=1\n");
    clickMinimize(*this);
    ASSERT_TRUE(taskBarSkipped());
    platform.systemTray = false;
    form->timMainTimer();
    EXPECT_FALSE(taskBarSkipped());
    EXPECT_TRUE(form->isMinimized());
}

// Real presses on the window, in its own units: each top-row button takes its click, the strip
// over the CPU label and everything below it move the window instead. The pointer the rules read
// is in the same units as the window; ctest runs this at 125, 150 and 200 % display scale too.
TEST_F(MainFormDesktop, TopRowButtonsTakeTheirClicksAndTheRestOfTheWindowDrags) {
    start();
    form->show();
    const struct {
        int x, y;
        const char* button;  // null: a drag area
    } presses[] = {
        {1, 2, "sbtnConfig"},     {36, 16, "sbtnConfig"}, {40, 9, "sbtnGetMem"},
        {168, 9, "sbtnMinimize"}, {184, 2, "sbtnClose"},  {197, 15, "sbtnClose"},
        {114, 5, nullptr},        {164, 18, nullptr},     {10, 19, nullptr},
        {190, 60, nullptr},
    };
    for (const auto& p : presses) {
        SCOPED_TRACE(testing::Message() << p.x << "," << p.y);
        QStringList clicked;
        std::vector<QMetaObject::Connection> spies;
        for (QToolButton* b : form->findChildren<QToolButton*>()) {
            b->disconnect(form.get());  // the click is all this test wants of them
            spies.push_back(QObject::connect(b, &QToolButton::pressed,
                                             [&clicked, b] { clicked << b->objectName(); }));
        }
        platform.cursor = {form->x() + p.x, form->y() + p.y};
        QTest::mousePress(form->windowHandle(), Qt::LeftButton, {}, QPoint(p.x, p.y));
        QTest::mouseRelease(form->windowHandle(), Qt::LeftButton, {}, QPoint(p.x, p.y));
        EXPECT_EQ(clicked, p.button ? QStringList{p.button} : QStringList{});
        EXPECT_EQ(form->WMNCHitTest(), p.button == nullptr);
        for (const auto& c : spies)
            QObject::disconnect(c);
    }
}

TEST_F(MainFormDesktop, HidesUnderThePointerAndComesBackAtTheFirstTickOutside) {
    start("[SYSTEM]\nXPos=300\nYPos=200\n[DEFAULT]\nDontCatch=1\n");
    platform.cursor = {500, 280};  // the bottom right edge pixel counts as inside
    form->WMNCHitTest();
    EXPECT_TRUE(form->HiddenUnderPointer());
    EXPECT_FALSE(form->IsSmallMode());
    // Still shown to the window manager, so its task-bar entry stays; it draws nothing and lets
    // the pointer through.
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->windowHandle()->flags().testFlag(Qt::WindowTransparentForInput));
    EXPECT_FALSE(form->mask().intersects(form->rect()));
    form->timMainTimer();
    EXPECT_TRUE(form->HiddenUnderPointer());
    platform.cursor = {501, 280};
    form->timMainTimer();
    EXPECT_FALSE(form->HiddenUnderPointer());
    EXPECT_FALSE(form->windowHandle()->flags().testFlag(Qt::WindowTransparentForInput));
    EXPECT_TRUE(form->mask().isEmpty());
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->isMinimized());
}

// Shift lets the pointer reach the window; hidden, it keeps the task-bar hint at every tick.
TEST_F(MainFormDesktop, ShiftLetsThePointerReachTheWindowAndAHiddenOneKeepsTheTaskBarHint) {
    start("[SYSTEM]\nXPos=300\nYPos=200\n[DEFAULT]\nDontCatch=1\nTaskBarHide=1\n");
    platform.cursor = {310, 205};
    platform.shiftDown = true;
    form->WMNCHitTest();
    EXPECT_FALSE(form->HiddenUnderPointer());
    platform.shiftDown = false;
    form->WMNCHitTest();
    EXPECT_TRUE(form->HiddenUnderPointer());
    platform.skipTaskBar.clear();
    form->timMainTimer();
    EXPECT_TRUE(taskBarSkipped());
}

TEST_F(MainFormDesktop, InSmallModeThePointerNeitherHidesNorShowsTheWindow) {
    start("[SYSTEM]\nXPos=300\nYPos=200\n[DEFAULT]\nDontCatch=1\n");
    clickMinimize(*this);
    platform.cursor = {310, 205};
    form->WMNCHitTest();
    platform.cursor = {0, 0};
    form->timMainTimer();
    EXPECT_TRUE(form->IsSmallMode());
    EXPECT_TRUE(form->isMinimized());
    EXPECT_FALSE(form->HiddenUnderPointer());
}

// A settings file passed over is told where a desktop user sees it, not only on standard error.
TEST_F(MainFormDesktop, SettingsKeptElsewhereAreToldThroughTheTray) {
    platform.files.folders["/opt/kelvo"] = {true, 02775};  // others may change the folder
    platform.files.put(kIni, "[SYSTEM]\n");
    form = std::make_unique<TMainForm>(platform);
    QSignalSpy tray(form.get(), &TMainForm::noticeShownInTray);
    form->FormCreate();
    ASSERT_EQ(tray.count(), 1);
    EXPECT_EQ(tray[0][0].toString(), QStringLiteral("設定ファイルの場所が変わりました"));
    EXPECT_TRUE(tray[0][1].toString().contains(QStringLiteral("/kelvo/kelvo.ini is not used")));
    form->FormDestroy();
}

TEST_F(MainFormDesktop, TrayTipStartsAsTheNameAndFollowsTheFreeMemoryThroughItsPacer) {
    constexpr int64_t kMs = 1'000'000;
    platform.files.put(kIni, "");
    form = std::make_unique<TMainForm>(platform);
    form->FormCreate();
    EXPECT_EQ(form->TrayIcon()->toolTip(), QStringLiteral("Kelvo"));
    form->timMainTimer();
    EXPECT_EQ(form->TrayIcon()->toolTip(), QStringLiteral("300.0MB Free"));
    // In small mode too: the tip is all there is to read.
    clickMinimize(*this);
    platform.setMemoryMB(1024, 12.34, 70);
    platform.clockNs += 1000 * kMs;
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
        modalWhileOpen = form->IsModalOpen();
        shownAt = menu->pos();
        menu->close();
    });
    watch.start();
    emit form->TrayIcon()->activated(QSystemTrayIcon::Context);
    EXPECT_FALSE(form->IsModalOpen());  // the menu opens after the tray's event handler
    for (int i = 0; i < 500 && watch.isActive(); ++i)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    EXPECT_TRUE(modalWhileOpen);
    EXPECT_EQ(shownAt, QPoint(40, 30));
    EXPECT_FALSE(form->IsModalOpen());
}

// A StatusNotifierItem host draws the exported menu itself: it asks for it as it opens it, and
// Xfce's never says it closed it.
TEST_F(MainFormDesktop, AMenuTheHostDrawsHoldsModalOpenWhileItIsOnTheScreen) {
    start();
    QMenu* menu = form->PopupMenu();
    emit menu->aboutToShow();
    EXPECT_TRUE(form->IsModalOpen());
    form->timMainTimer();  // not drawn yet
    EXPECT_TRUE(form->IsModalOpen());
    platform.popupMenuShown = true;
    form->timMainTimer();
    EXPECT_TRUE(form->IsModalOpen());
    platform.popupMenuShown = false;
    form->timMainTimer();
    EXPECT_FALSE(form->IsModalOpen());
    const int probes = platform.popupMenuProbes;
    form->timMainTimer();
    EXPECT_EQ(platform.popupMenuProbes, probes);  // the screen is looked at only meanwhile

    // A host that says it closed the menu; one whose item was chosen.
    emit menu->aboutToShow();
    emit menu->aboutToHide();
    EXPECT_FALSE(form->IsModalOpen());
    emit menu->aboutToShow();
    platform.popupMenuShown = true;
    form->timMainTimer();
    emit menu->findChild<QAction*>("pmRestore")->triggered(false);
    EXPECT_FALSE(form->IsModalOpen());
}

TEST_F(MainFormDesktop, WhileTheDialogIsOpenNothingFromTheTrayReachesTheProgram) {
    start("[SYSTEM]\nXPos=300\nYPos=200\n[DEFAULT]\nAutoMemClear=1\n");
    QMenu* menu = form->PopupMenu();
    QString error;
    bool modalOpenThroughout = true;
    bool itemsGreyed = true;
    bool menuOpened = false;
    test::onNextModal([&](QWidget* dialog) {
        test::acceptNextMessage(&error, dialog);
        for (QAction* a : menu->actions())
            itemsGreyed = itemsGreyed && (a->isSeparator() || !a->isEnabled());
        // What a D-Bus tray can send past the dialog: the host's menu opening and closing,
        // its items chosen (whether greyed or not), clicks and a request for the menu.
        emit menu->aboutToShow();
        emit menu->aboutToHide();
        modalOpenThroughout = modalOpenThroughout && form->IsModalOpen();
        for (const char* item : {"pmConfig", "pmClean", "pmRestore", "pmExit"})
            emit menu->findChild<QAction*>(item)->triggered(false);
        modalOpenThroughout = modalOpenThroughout && form->IsModalOpen();
        emit form->TrayIcon()->activated(QSystemTrayIcon::Trigger);
        emit form->TrayIcon()->activated(QSystemTrayIcon::Trigger);
        emit form->TrayIcon()->activated(QSystemTrayIcon::Context);
        for (int i = 0; i < 20; ++i)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        menuOpened = QApplication::activePopupWidget() != nullptr;
        modalOpenThroughout = modalOpenThroughout && form->IsModalOpen();
        static_cast<TSettingFrm*>(dialog)->reject();
    });
    form->sbtnConfigClick();
    EXPECT_TRUE(itemsGreyed);
    EXPECT_TRUE(modalOpenThroughout);
    EXPECT_FALSE(menuOpened);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();  // no second dialog
    EXPECT_TRUE(platform.allocatedSizes.empty());         // no clean
    EXPECT_FALSE(form->IsModalOpen());
    for (QAction* a : menu->actions())
        EXPECT_TRUE(a->isEnabled());
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_TRUE(form->isVisible());  // the exit item did not close the program
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
