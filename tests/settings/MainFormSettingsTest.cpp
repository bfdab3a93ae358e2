#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QWindow>
#include <functional>

#include "app/common/Hints.h"
#include "app/settings/SettingFrm.h"
#include "app/settings/UpDown.h"
#include "app/window/MainForm.h"
#include "platform/fake/FakePlatform.h"
#include "profile/ProfileFile.h"
#include "tests/settings/ModalDriver.h"
#include "tests/support/NativeLines.h"
#include "ui_MainForm.h"
#include "ui_SettingFrm.h"

namespace kelvo {
namespace {

const std::string kIni = "/opt/kelvo/kelvo.ini";
constexpr int64_t MB = 1048576;

const std::string kDefaults =
    "[SYSTEM]\nXPos=0\nYPos=0\nSmall=0\n[DEFAULT]\nStayOnTop=0\nDontCatch=0\nShowCpuUsePer=0\n"
    "StopCpuUsePer=0\nTaskBarHide=0\nMemory=50\nAutoMemClear=0\nAutoMemMin=0\nAutoMemUsed=0\n"
    "AutoMemSize=0\nAutoExeSize=1\nAutoMemUsePer=1\nNot100Per=0\nHint=0\n";

// Every key away from its default, in the order a save writes them.
const std::string kEveryKeySet =
    "[SYSTEM]\nXPos=30\nYPos=40\nSmall=0\n[DEFAULT]\nStayOnTop=1\nDontCatch=1\nShowCpuUsePer=1\n"
    "StopCpuUsePer=1\nTaskBarHide=1\nMemory=35\nAutoMemClear=1\nAutoMemMin=1\nAutoMemUsed=1\n"
    "AutoMemSize=1\nAutoExeSize=12\nAutoMemUsePer=3\nNot100Per=1\nHint=1\n";

QSize screen() {
    return QGuiApplication::primaryScreen()->geometry().size();
}

class MainFormSettings : public testing::Test {
  protected:
    MainFormSettings() { platform.setMemoryMB(256, 100, 40); }

    TMainForm& start() {
        form = std::make_unique<TMainForm>(platform);
        return *form;
    }
    TMainForm& start(const std::string& text) {
        putIni(text);
        return start();
    }
    Ui::TSettingFrm& s() { return form->SettingFrm().ui(); }
    std::string ini() const { return platform.files.contents(kIni); }
    void putIni(const std::string& text) { platform.files.put(kIni, text); }
    void reload(const std::string& text) {
        putIni(text);
        form->LoadSettings();
    }
    std::vector<QWidget*> mainHintControls() {
        Ui::TMainForm& m = form->ui();
        return {m.sbtnConfig, m.sbtnGetMem,        m.sbtnMinimize,  m.sbtnClose,       m.btnStop,
                m.nlblUsePer, m.nlblTitlePhysical, m.nlblPageTitle, m.nlblVirtualTitle};
    }
    // The warnings logged while `action` runs.
    static QStringList warningsDuring(const std::function<void()>& action) {
        static QStringList warnings;
        warnings.clear();
        const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext&, const QString& text) { warnings << text; });
        action();
        qInstallMessageHandler(previous);
        return warnings;
    }

    FakePlatform platform;
    std::unique_ptr<TMainForm> form;
};

TEST_F(MainFormSettings, WithoutAFileEverythingTakesItsDefaultAndTheFirstSaveWritesThemInOrder) {
    start();
    EXPECT_EQ(form->pos(), QPoint(0, 0));
    EXPECT_FALSE(form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(form->windowType(), Qt::Window);
    EXPECT_FALSE(form->SettingFrm().showCpuUsage());
    EXPECT_EQ(form->CleanSizeBytes(), 50 * (256 * MB / 100));
    EXPECT_FALSE(form->SettingFrm().autoClean());
    EXPECT_EQ(s().edtMem->text(), "1");
    EXPECT_EQ(s().edtUsePer->text(), "1");
    for (QWidget* w : mainHintControls())
        EXPECT_TRUE(showsHint(w)) << w->objectName().toStdString();
    form->SaveSettings(false);
    EXPECT_EQ(ini(), test::nativeLines(kDefaults));
}

TEST_F(MainFormSettings, PositionIsKeptUpToTheScreenEdgeMinusTwo) {
    const QSize sz = screen();
    start("[SYSTEM]\nXPos=" + std::to_string(sz.width() - 2) +
          "\nYPos=" + std::to_string(sz.height() - 2) + "\n");
    EXPECT_EQ(form->pos(), QPoint(sz.width() - 2, sz.height() - 2));
    reload("[SYSTEM]\nXPos=" + std::to_string(sz.width() - 1) + "\nYPos=7\n");
    EXPECT_EQ(form->pos(), QPoint(0, 7));
    reload("[SYSTEM]\nXPos=5\nYPos=-1\n");
    EXPECT_EQ(form->pos(), QPoint(5, 0));
}

TEST_F(MainFormSettings, HintKeySwitchesTheHintsOfTheNineControls) {
    start("[DEFAULT]\nHint=1\n");
    EXPECT_TRUE(s().chkbHideHint->isChecked());
    for (QWidget* w : mainHintControls())
        EXPECT_FALSE(showsHint(w)) << w->objectName().toStdString();
    reload("[DEFAULT]\nHint=0\n");
    for (QWidget* w : mainHintControls())
        EXPECT_TRUE(showsHint(w)) << w->objectName().toStdString();
    EXPECT_EQ(form->ui().sbtnConfig->toolTip(), "(設定ボタン)設定画面を開きます");
}

TEST_F(MainFormSettings, TheThresholdReachesAQuarterOfPhysicalMegabytesTheDropAHundredPoints) {
    start("[DEFAULT]\nAutoExeSize=50\nAutoMemUsePer=101\n");
    EXPECT_EQ(s().udMem->Max(), 64);
    // A load drop is in percentage points, whatever the memory.
    EXPECT_EQ(s().udUsePer->Max(), 100);
    // Above the form's initial maximum of 32, and still kept on the first load.
    EXPECT_EQ(s().edtMem->text(), "50");
    EXPECT_EQ(s().edtUsePer->text(), "100");
    platform.setMemoryMB(24 * 1024, 1000, 40);
    reload("[DEFAULT]\nAutoMemUsePer=6026\n");
    EXPECT_EQ(s().udMem->Max(), 6144);
    EXPECT_EQ(s().edtUsePer->text(), "100");
    s().edtUsePer->setText("500");
    EXPECT_EQ(s().edtUsePer->text(), "100");
    reload("[DEFAULT]\nAutoExeSize=0\nAutoMemUsePer=-3\n");
    EXPECT_EQ(s().edtMem->text(), "1");
    EXPECT_EQ(s().edtUsePer->text(), "1");
    // On a 64 MB machine the up-downs stop at 16.
    platform.setMemoryMB(64, 10, 80);
    reload("[DEFAULT]\nAutoExeSize=40\n");
    EXPECT_EQ(s().udMem->Max(), 16);
    EXPECT_EQ(s().edtMem->text(), "16");
    s().edtMem->setText("40");
    EXPECT_EQ(s().edtMem->text(), "16");
}

// The dialog's own rules act in the middle of a load: the last checked condition stays checked,
// and stopping at full processor usage turns the processor label on.
TEST_F(MainFormSettings, LoadingKeepsTheDialogsCheckBoxRules) {
    start("[DEFAULT]\nAutoMemMin=1\n");
    reload("[DEFAULT]\nAutoMemMin=0\n");
    EXPECT_TRUE(s().chkbMinExec->isChecked());
    start("[DEFAULT]\nStopCpuUsePer=1\nShowCpuUsePer=0\n");
    EXPECT_TRUE(s().ckbStopCpuPer->isChecked());
    EXPECT_TRUE(s().ckbCpuPer->isChecked());
}

// A hand-edited percentage outside the track bar's range would ask for no memory at all (0, -5,
// letters) or for more than the machine has: the clean size takes the track bar's limits too.
TEST_F(MainFormSettings, CleanSizeTakesTheStoredPercentageWithinTheTrackBarsLimits) {
    start("[DEFAULT]\nMemory=200\n");
    EXPECT_EQ(s().trkberMemPer->value(), 95);
    EXPECT_EQ(s().stcMemSize->text(), "[243.2 MB] ");
    EXPECT_EQ(form->CleanSizeBytes(), 95 * (256 * MB / 100));
    for (const char* stored : {"-5", "0", "abc", "4"}) {
        reload(std::string("[DEFAULT]\nMemory=") + stored + "\n");
        EXPECT_EQ(s().trkberMemPer->value(), 5) << stored;
        EXPECT_EQ(form->CleanSizeBytes(), 5 * (256 * MB / 100)) << stored;
    }
    reload("[DEFAULT]\nMemory=37\n");
    EXPECT_EQ(form->CleanSizeBytes(), 37 * (256 * MB / 100));
    // No 32-bit limit.
    platform.setMemoryMB(64 * 1024, 1000, 10);
    start("[DEFAULT]\nMemory=95\n");
    EXPECT_EQ(form->CleanSizeBytes(), 95 * (64 * 1024 * MB / 100));
}

// The hints belong to whichever native window the main window has now, also after it was replaced
// and shown again (as after hiding under the pointer). On X11 the toolkit replaces it without
// telling the widget; tests/e2e/tray.sh runs that case with the real window manager.
TEST_F(MainFormSettings, StayOnTopAndTaskBarButtonFollowTheFile) {
    start("[DEFAULT]\nStayOnTop=1\nTaskBarHide=1\n").FormCreate();
    form->show();  // the window is created and takes the task-bar hint as it is shown
    auto current = [&] { return static_cast<NativeWindow>(form->windowHandle()->winId()); };
    auto onTop = [&] {
        return form->windowFlags().testFlag(Qt::WindowStaysOnTopHint) &&
               form->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint);
    };
    EXPECT_TRUE(onTop());
    EXPECT_TRUE(platform.skipTaskBar[current()]);

    reload("[DEFAULT]\nStayOnTop=0\nTaskBarHide=0\n");
    EXPECT_FALSE(onTop());
    EXPECT_FALSE(platform.skipTaskBar[current()]);
    EXPECT_TRUE(form->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(form->isVisible());

    reload("[DEFAULT]\nStayOnTop=1\nTaskBarHide=1\n");
    const NativeWindow before = current();
    form->windowHandle()->destroy();
    form->windowHandle()->create();
    ASSERT_NE(current(), before);
    form->hide();
    form->show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(onTop());
    EXPECT_TRUE(platform.skipTaskBar[current()]) << "the hint went to the replaced window";
}

TEST_F(MainFormSettings, EveryKeyMakesTheRoundTrip) {
    start(kEveryKeySet);
    const TSettingFrm& f = form->SettingFrm();
    EXPECT_TRUE(f.stayOnTop() && f.dontCatch() && f.showCpuUsage() && f.pauseCleanAtFullCpu() &&
                f.hideTaskBarButton() && f.autoClean() && f.autoOnLowMemory() &&
                f.autoOnLoadDrop() && f.autoCleanSize() && f.noAutoCleanAtFullLoad() &&
                f.hideHints());
    EXPECT_EQ(f.cleanPercent(), 35);
    EXPECT_EQ(f.lowMemoryMB(), 12);
    EXPECT_EQ(f.loadDropPoints(), 3);
    EXPECT_EQ(form->pos(), QPoint(30, 40));
    putIni("");
    form->SaveSettings(false);
    EXPECT_EQ(ini(), test::nativeLines(kEveryKeySet));
}

TEST_F(MainFormSettings, SavingKeepsUnknownLinesAndReplacesValuesInPlace) {
    start("; mine\r\n[default]\r\nmemory = 70\r\nExtra=1\r\n");
    form->SaveSettings(true);
    EXPECT_EQ(ini(),
              "; mine\r\n[default]\r\nmemory = 70\r\nExtra=1\r\n"
              "[SYSTEM]\r\nXPos=0\r\nYPos=0\r\nSmall=0\r\n");
}

TEST_F(MainFormSettings, AFileSavedWithAByteOrderMarkKeepsItsFirstSection) {
    start("\xEF\xBB\xBF" + kEveryKeySet);
    EXPECT_EQ(form->pos(), QPoint(30, 40));
    form->SaveSettings(false);
    EXPECT_EQ(ini(), "\xEF\xBB\xBF" + kEveryKeySet);
}

TEST_F(MainFormSettings, TheSmallKeyDecidesAtTheFirstTick) {
    start("[SYSTEM]\nSmall=1\n");
    form->timMainTimer();
    EXPECT_TRUE(form->IsSmallMode());
    EXPECT_TRUE(form->isMinimized());
}

TEST_F(MainFormSettings, AnOversizedFileIsLeftAloneAndTheWarningSaysWhy) {
    const std::string huge = "[DEFAULT]\nMemory=30\n" + std::string(1 << 20, ';');
    start(huge);
    EXPECT_EQ(s().trkberMemPer->value(), 50) << "not read";
    const QStringList warnings = warningsDuring([&] { form->SaveSettings(false); });
    EXPECT_EQ(ini(), huge);
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].contains("larger than 1 MiB")) << warnings[0].toStdString();
    EXPECT_TRUE(warnings[0].contains("will not be changed")) << warnings[0].toStdString();
    EXPECT_FALSE(warnings[0].contains("could not be read")) << warnings[0].toStdString();
}

// A rebuild or an update replaces the program file under the running program; the system then
// names it "kelvo (deleted)". The settings stay where they were found at start.
TEST_F(MainFormSettings, TheFileFoundAtStartStaysInUseWhenTheProgramFileIsReplaced) {
    start(kEveryKeySet);
    platform.exePath = "/opt/kelvo/kelvo (deleted)";
    form->LoadSettings();
    EXPECT_EQ(form->pos(), QPoint(30, 40));
    EXPECT_TRUE(s().ckbStayOnTop->isChecked());
    s().chkbHideHint->setChecked(false);
    form->SaveSettings(false);
    EXPECT_NE(ini().find("Hint=0"), std::string::npos) << ini();
    EXPECT_EQ(platform.files.files.size(), 1u);
}

// A file the save may not or cannot replace keeps its bytes, the program goes on, and every save
// says why.
TEST_F(MainFormSettings, FilesLeftAloneSayWhyAtEachSave) {
    struct Case {
        const char* what;
        std::function<void()> arrange;
        const char* said;
    };
    const std::string nearLimit =
        "[SYSTEM]\n;" + std::string(kMaxProfileBytes - 20, 'c') + "\n";  // no room for every key
    for (const Case& c : std::initializer_list<Case>{
             {"read-only", [&] { platform.files.put(kIni, kEveryKeySet, 0444); }, "read-only"},
             {"near the limit", [&] { putIni(nearLimit); }, "would be larger than 1 MiB"},
             {"made writable by all", [&] { platform.files.put(kIni, kEveryKeySet, 0666); },
              "can be changed by another user"},
             {"on a read-only disk", [&] { platform.files.readOnly = true; },
              "no new file could be created"},
             {"on a full disk", [&] { platform.files.bytesLeft = 10; }, "writing failed"}}) {
        SCOPED_TRACE(c.what);
        form.reset();
        platform.files.files.clear();
        platform.files.readOnly = false;
        platform.files.bytesLeft = -1;
        start(kEveryKeySet);
        c.arrange();
        const std::string before = ini();
        form->move(300, 300);
        const QStringList warnings = warningsDuring([&] { form->SaveSettings(false); });
        EXPECT_EQ(ini(), before);
        EXPECT_EQ(platform.files.files.size(), 1u);
        ASSERT_EQ(warnings.size(), 1);
        EXPECT_TRUE(warnings[0].contains(QString::fromUtf8(c.said))) << warnings[0].toStdString();
    }
}

TEST_F(MainFormSettings, TemporaryFilesOfACrashedSaveAreRemovedAtStart) {
    platform.files.put(kIni + ".tmp-0123456789ab", "[SYSTEM]\nXPos=");
    start(kEveryKeySet);
    EXPECT_EQ(platform.files.files.size(), 1u);
    EXPECT_EQ(form->pos(), QPoint(30, 40));
}

TEST_F(MainFormSettings, HandEditedNonsenseLoadsWithinTheLimits) {
    const QDir dir(QStringLiteral(BAD_FILES_DIR));
    const QStringList names = dir.entryList(QDir::Files);
    ASSERT_FALSE(names.isEmpty());
    start();
    for (const QString& name : names) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        reload(f.readAll().toStdString());
        SCOPED_TRACE(name.toStdString());
        EXPECT_GE(s().trkberMemPer->value(), 5);
        EXPECT_LE(s().trkberMemPer->value(), 95);
        for (TUpDown* ud : {s().udMem, s().udUsePer}) {
            EXPECT_GE(ud->Position(), 1);
            EXPECT_LE(ud->Position(), 64);
            EXPECT_EQ(ud->Associate()->text(), QString::number(ud->Position()));
        }
        EXPECT_GE(form->x(), 0);
        EXPECT_LE(form->x(), screen().width() - 2);
        form->SaveSettings(false);
        const std::string once = ini();
        form->LoadSettings();
        form->SaveSettings(false);
        EXPECT_EQ(ini(), once);
    }
}

// OK on a file that cannot take the options: one message says so, and they stay in use for the
// run (applied, shown again by the dialog, kept through a Cancel) until a save succeeds.
TEST_F(MainFormSettings, AnOkTheFileCannotTakeIsSaidOnceAndStaysInUse) {
    struct Case {
        const char* what;
        uint32_t mode;
        int64_t bytesLeft;
        const char* said;
    };
    for (const Case& c : {Case{"read-only", 0444, -1, "読み取り専用"},
                          Case{"on a full disk", 0644, 10, "書き込みに失敗"}}) {
        SCOPED_TRACE(c.what);
        form.reset();
        platform.files.files.clear();
        platform.files.put(kIni, kDefaults, c.mode);
        platform.files.bytesLeft = c.bytesLeft;
        start();
        QString said;
        test::onNextModal([&](QWidget* dialog) {
            s().ckbStayOnTop->setChecked(true);
            s().trkberMemPer->setValue(80);
            test::acceptNextMessage(&said, dialog);
            s().btnOk->click();
        });
        form->sbtnConfigClick();
        EXPECT_TRUE(said.startsWith("設定をファイルに保存できませんでした。\n" +
                                    QString::fromStdString(kIni) + "\n"))
            << said.toStdString();
        EXPECT_TRUE(said.contains(c.said)) << said.toStdString();
        EXPECT_EQ(ini(), kDefaults);
        EXPECT_TRUE(form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        EXPECT_EQ(form->CleanSizeBytes(), 80 * (256 * MB / 100));

        test::onNextModal([&](QWidget*) { s().btnCancel->click(); });
        form->sbtnConfigClick();
        EXPECT_TRUE(s().ckbStayOnTop->isChecked());
        EXPECT_EQ(s().trkberMemPer->value(), 80);

        platform.files.put(kIni, kDefaults);
        platform.files.bytesLeft = -1;
        form->SaveSettings(true);
        EXPECT_NE(ini().find("StayOnTop=1"), std::string::npos);
        EXPECT_NE(ini().find("Memory=80"), std::string::npos);
    }
}

class SettingsButton : public MainFormSettings {
  protected:
    SettingsButton() {
        start(kEveryKeySet + "[Other]\nkeep=1\n");
        form->move(55, 66);
    }
    // The file as a save of only the window's keys leaves it.
    std::string withPositionSaved() const {
        std::string text = kEveryKeySet + "[Other]\nkeep=1\n";
        text.replace(text.find("XPos=30\nYPos=40"), 15, "XPos=55\nYPos=66");
        return text;
    }
};

TEST_F(SettingsButton, CancelRewritesOnlyTheWindowKeysAndRestoresEveryControl) {
    const int64_t cleanSize = form->CleanSizeBytes();
    bool modalOpenWhileShown = false;
    test::onNextModal([&](QWidget*) {
        modalOpenWhileShown = form->IsModalOpen();
        s().trkberMemPer->setValue(80);
        s().ckbCpuPer->setChecked(false);
        s().chkbAuto->setChecked(false);
        s().edtMem->setText("20");
        s().btnCancel->click();
    });
    form->sbtnConfigClick();
    EXPECT_TRUE(modalOpenWhileShown);
    EXPECT_FALSE(form->IsModalOpen());
    EXPECT_EQ(ini(), withPositionSaved());
    EXPECT_EQ(s().trkberMemPer->value(), 35);
    EXPECT_EQ(s().stctxtMemSize->text(), " 物理メモリ掃除の割合：35 ％");
    EXPECT_TRUE(s().ckbCpuPer->isChecked());
    EXPECT_TRUE(s().chkbAuto->isChecked());
    EXPECT_TRUE(s().edtMem->isEnabled());
    EXPECT_EQ(s().edtMem->text(), "12");
    EXPECT_EQ(form->CleanSizeBytes(), cleanSize);
}

TEST_F(SettingsButton, OkSavesEveryKeyAndAppliesThem) {
    int64_t cleanSizeWhileOpen = 0;
    test::onNextModal([&](QWidget*) {
        s().trkberMemPer->setValue(80);
        s().chkbHideHint->setChecked(false);
        s().ckbStayOnTop->setChecked(false);
        cleanSizeWhileOpen = form->CleanSizeBytes();
        s().btnOk->click();
    });
    form->sbtnConfigClick();
    EXPECT_EQ(cleanSizeWhileOpen, 35 * (256 * MB / 100));
    EXPECT_EQ(form->CleanSizeBytes(), 80 * (256 * MB / 100));
    std::string expected = withPositionSaved();
    expected.replace(expected.find("Memory=35"), 9, "Memory=80");
    expected.replace(expected.find("Hint=1"), 6, "Hint=0");
    expected.replace(expected.find("StayOnTop=1"), 11, "StayOnTop=0");
    EXPECT_EQ(ini(), expected);
    EXPECT_TRUE(showsHint(form->ui().sbtnGetMem));
    EXPECT_FALSE(form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

// The user cannot get here: the open dialog blocks the window and the tray (tests/e2e/tray.sh).
// Called all the same, the handler behaves as designed.
TEST_F(SettingsButton, OpeningTheOpenDialogAgainReportsItAndReloadsItsControls) {
    QString error;
    bool stillOpen = false;
    test::onNextModal([&](QWidget* dialog) {
        s().trkberMemPer->setValue(80);
        test::acceptNextMessage(&error, dialog);
        form->sbtnConfigClick();
        stillOpen = dialog->isVisible();
        EXPECT_EQ(s().trkberMemPer->value(), 35);
        s().btnCancel->click();
    });
    form->sbtnConfigClick();
    EXPECT_EQ(error, "表示されているウィンドウをモーダルにすることはできません");
    EXPECT_TRUE(stillOpen);
    EXPECT_FALSE(form->IsModalOpen());
}

TEST_F(SettingsButton, ThePopupMenusItemOpensTheDialog) {
    bool opened = false;
    test::onNextModal([&](QWidget* dialog) {
        opened = dialog == &form->SettingFrm();
        s().btnCancel->click();
    });
    form->PopupMenu()->findChild<QAction*>("pmConfig")->trigger();
    EXPECT_TRUE(opened);
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->IsSmallMode());
}

}  // namespace
}  // namespace kelvo
