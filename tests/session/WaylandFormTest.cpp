// The main window where the display server keeps screen positions to itself (a native Wayland
// client), and the tray whose host reports single activations only.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSystemTrayIcon>

#include "app/window/MainForm.h"
#include "platform/fake/FakePlatform.h"

namespace kelvo {
namespace {

const std::string kIni = "/opt/kelvo/kelvo.ini";

class WaylandForm : public testing::Test {
  public:
    WaylandForm() { platform.setMemoryMB(1024, 300, 70); }
    TMainForm& start(const std::string& ini) {
        platform.files.put(kIni, ini);
        form = std::make_unique<TMainForm>(platform);
        form->FormCreate();
        form->timMainTimer();
        return *form;
    }
    std::string saved(const char* key) {
        const std::string text = platform.files.contents(kIni);
        const std::string prefix = std::string("\n") + key + "=";
        const size_t at = text.find(prefix);
        return at == std::string::npos
                   ? ""
                   : text.substr(at + prefix.size(),
                                 text.find_first_of("\r\n", at + 1) - at - prefix.size());
    }

    FakePlatform platform;
    std::unique_ptr<TMainForm> form;
};

TEST_F(WaylandForm, HidingUnderThePointerNeedsThePointersScreenPosition) {
    for (bool global : {true, false}) {
        SCOPED_TRACE(global ? "global coordinates" : "window-relative coordinates");
        platform.globalCoordinates = global;
        start("[SYSTEM]\nXPos=300\nYPos=200\n[DEFAULT]\nDontCatch=1\n");
        platform.cursor = {form->x() + 50, form->y() + 40};
        form->WMNCHitTest();
        // Hidden, a window that cannot follow the pointer would never come back.
        EXPECT_EQ(form->HiddenUnderPointer(), global);
        form->timMainTimer();
    }
}

TEST_F(WaylandForm, AClosePositionReadAsZeroDoesNotReplaceTheSavedOne) {
    platform.globalCoordinates = false;
    start("[SYSTEM]\nXPos=300\nYPos=200\n");
    form->move(0, 0);  // where such a window reads itself to be
    form->SaveSettings(false);
    EXPECT_EQ(saved("XPos"), "300");
    EXPECT_EQ(saved("YPos"), "200");
    EXPECT_EQ(saved("Small"), "0");  // the rest is saved as ever

    // Loading the settings again (as the dialog's close does) leaves the window where it is.
    form->LoadSettings();
    EXPECT_EQ(form->pos(), QPoint(0, 0));

    platform.globalCoordinates = true;
    form->LoadSettings();
    EXPECT_EQ(form->pos(), QPoint(300, 200));
    form->move(10, 20);
    form->SaveSettings(true);
    EXPECT_EQ(saved("XPos"), "10");
}

TEST_F(WaylandForm, TwoQuickActivationsOfTheIconRestoreOneDoesNot) {
    start("[SYSTEM]\nXPos=300\nYPos=200\nSmall=1\n");
    ASSERT_TRUE(form->IsSmallMode());
    const int64_t interval = int64_t{QApplication::doubleClickInterval()} * 1000000;
    QSystemTrayIcon* icon = form->TrayIcon();

    emit icon->activated(QSystemTrayIcon::Trigger);
    platform.clockNs += interval + 1;
    emit icon->activated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(form->IsSmallMode()) << "two clicks further apart than a double click restored";

    platform.clockNs += interval / 2;
    emit icon->activated(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(form->IsSmallMode());
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->isMinimized());
    // Each activation refreshes the tip, as any other pointer event on the icon does.
    EXPECT_TRUE(icon->toolTip().endsWith(QStringLiteral("MB Free")));
}

}  // namespace
}  // namespace kelvo
