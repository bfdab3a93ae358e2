// The clean: the button, the stop button and the run with its progress in the top row.
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

#include "app/CleanEngine.h"
#include "app/CleanPlan.h"
#include "app/ErrorBox.h"
#include "app/Formats.h"
#include "app/IniPath.h"
#include "app/MainForm.h"
#include "app/SettingFrm.h"
#include "profile/ProfileFile.h"
#include "profile/SettingsKeys.h"
#include "ui_MainForm.h"

namespace kelvo {

const QString kOutOfMemoryMessage = QStringLiteral(
    "メモリ不足です。確保量を調整してみてください。\n\n（空きスワップ量などを確認してみてください"
    "）");

void TMainForm::sbtnGetMemClick() {
    RunClean();
}

void TMainForm::btnStopClick() {
    StopRequest = true;
}

void TMainForm::ProcessMessages() {
    if (processMessagesHook)
        processMessagesHook();
    else
        QCoreApplication::processEvents();
}

void TMainForm::RunClean() {
    // A clean further up the call stack is running; its message processing brought us here.
    if (Cleaning)
        return;
    Cleaning = true;
    Ui::TMainForm& u = *ui_;
    u.sbtnConfig->hide();
    u.sbtnGetMem->hide();
    u.sbtnMinimize->hide();
    u.sbtnClose->hide();
    QPalette yellow = u.stcInfo->palette();
    yellow.setColor(QPalette::Window, Qt::yellow);
    u.stcInfo->setPalette(yellow);
    u.stcInfo->move(u.stcInfo->x(), 0);
    u.btnStop->move(u.btnStop->x(), 0);

    const TSettingFrm& options = SettingFrm();
    if (options.autoCleanSize()) {
        platform_.GlobalMemoryStatus(MemStat);
        // The stored percentage, not the track bar's: an unconfirmed dialog does not count.
        const int32_t percent =
            readSetting(readProfileFile(platform_.fileSystem(), IniPath(platform_)), keys::Memory);
        CleanSize = autoCleanSize(percent, MemStat.dwMemoryLoad, MemStat.dwTotalPhys,
                                  options.lowMemoryMB());
    }

    CleanHooks hooks;
    hooks.showProgress = [&u](int number) { u.stcInfo->setText(formatInt("掃除中 %d% ", number)); };
    hooks.processMessages = [this] { ProcessMessages(); };
    hooks.pauseWanted = [this] { return SettingFrm().pauseCleanAtFullCpu() && CpuUsePer >= 100; };
    hooks.stopRequested = [this] { return StopRequest; };
    hooks.outOfMemory = [this] { ShowError(kOutOfMemoryMessage, this); };
    runClean(platform_, CleanSize, hooks);

    platform_.GlobalMemoryStatus(MemStat);
    PeakUsePer = static_cast<int>(MemStat.dwMemoryLoad);
    Cleaning = false;
    StopRequest = false;
    // Below the client area, also when the window sits partly above the top of the screen.
    const int outOfSight = std::max(y() + height() + 20, height());
    u.stcInfo->move(u.stcInfo->x(), outOfSight);
    u.btnStop->move(u.btnStop->x(), outOfSight);
    u.sbtnConfig->show();
    u.sbtnGetMem->show();
    u.sbtnMinimize->show();
    u.sbtnClose->show();
}

}  // namespace kelvo
