#pragma once

#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/clean/AutoCleanTrigger.h"
#include "app/clean/CleanEngine.h"
#include "app/clean/CleanRequest.h"
#include "app/clean/CpuUsage.h"
#include "app/window/DesktopRules.h"
#include "app/window/TrayClicks.h"
#include "app/window/TrayTip.h"
#include "platform/MemoryStatus.h"
#include "platform/Platform.h"
#include "profile/ProfileFile.h"

class QMenu;
class QAction;
class QTimer;
class QSystemTrayIcon;

namespace Ui {
class TMainForm;
}

namespace kelvo {

class TNovelLabel;
struct MainFormSeam;
class TSettingFrm;
struct CleanNotice;

// Who started a clean: the user (button, tray menu, execute option) or a trigger.
enum class CleanOrigin { User, Automatic };

// The 200 × 80 main window: the readout, the two timers and every action of the program.
class TMainForm : public QWidget {
    Q_OBJECT

  public:
    explicit TMainForm(Platform& platform, QWidget* parent = nullptr);
    ~TMainForm() override;

    // Form events and handlers.
    void FormCreate();
    void FormDestroy();
    void MenuClose();
    // A close request from outside the window (a termination signal, the session's end), handled
    // before it returns: see closeEvent.
    void ExternalClose();
    void sbtnGetMemClick();
    void btnStopClick();
    void RunClean();
    // The clean, telling whom it tells what. Empty when it did not run (one was running already).
    std::optional<CleanResult> RunCleanFrom(CleanOrigin origin);
    void timMainTimer();
    void timSubTimer();
    void sbtnConfigClick();
    void LoadSettings();
    // Also what became of the file: a save it could not take stays in use until one succeeds.
    SaveResult SaveSettings(bool positionOnly);

    // On the desktop: the tray icon, small mode, dragging, hiding under the pointer, stay on
    // top and the task-bar button (MainFormDesktop.cpp).
    void FormActivate();
    void sbtnMinimizeClick();
    void pmRestoreClick();
    void AppMinimize();
    void AppRestore();
    void AppDeactivate();
    void ApplyTaskBarHide();
    // The hit test of a pointer event: true where a left press drags the window. Also hides the
    // window under the pointer.
    bool WMNCHitTest();
    QSystemTrayIcon* TrayIcon() const { return trayIcon_; }
    // Out of the pointer's way: still mapped, so still in the task bar, but drawing nothing and
    // letting the pointer through.
    bool HiddenUnderPointer() const { return hiddenUnderPointer_; }

    // The readout steps, run by the timers.
    void UpdateReadout();
    void UpdateResources();
    void AutoCleanStep();
    std::optional<CleanResult> StartAutoClean();
    // A desktop notification through the tray icon; on standard error where there is none, and
    // for the execute option's clean, whose program closes at once and its tray icon with it.
    void Notify(const CleanNotice& notice);
    // True from an automatic clean the safety rule refused until the machine could spare it.
    bool InMemoryShortage() const { return shortageProbe_ != nullptr; }
    // True while a running clean waits for the processor.
    bool CleanPaused() const { return cleanPaused_; }
    int GetNtCpuUsage();

    // Lets the application handle pending events once; a test may put its own hook in place.
    void ProcessMessages();
    void SetProcessMessagesHook(std::function<void()> hook) {
        processMessagesHook_ = std::move(hook);
    }

    Ui::TMainForm& ui() { return *ui_; }
    // The settings dialog, whose controls hold every option live.
    TSettingFrm& SettingFrm() const { return *settingFrm_; }
    QMenu* PopupMenu() const { return popupMenu_; }

    bool IsSmallMode() const { return SmallMode; }
    // The tray menu or the settings dialog is open: no trigger starts a clean meanwhile.
    bool IsModalOpen() const { return ModalOpen; }
    // The size of the next clean in bytes; an automatic size is known after its first clean.
    int64_t CleanSizeBytes() const { return CleanSize; }
    // The processor figure the pause rule and the readout go by.
    int CpuUsePercent() const { return CpuUsePer; }
    // The highest load since the last clean, which the load-drop trigger measures from.
    int PeakUsePer() const { return autoTrigger_.peak(); }
    bool LowMemoryArmed() const { return autoTrigger_.lowMemoryArmed(); }
    // The command line as given, program name first; the first tick looks for the execute
    // option in it.
    void SetCommandLine(const QStringList& arguments) { CommandLine = arguments; }

  signals:
    // Emitted after each main tick; end-to-end and widget tests wait on it.
    void ticked();
    // Emitted when a notice went to the tray as a desktop notification.
    void noticeShownInTray(const QString& title, const QString& body);

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Tests script the state below where a user could not reach it.
    friend struct MainFormSeam;

    // State shared by the window's handlers.
    MEMORYSTATUS MemStat;
    bool SmallMode = false;
    bool ModalOpen = false;
    bool Cleaning = false;
    bool StopRequest = false;
    bool FirstTick = true;
    bool ClosingAfterClean = false;  // the execute option's clean: the program closes after it
    int CpuUsePer = 0;
    int64_t CleanSize = 0;
    ScreenPoint CursorPos;
    FreeResourcesFn FreeResources;
    QStringList CommandLine;
    static constexpr int NoticeTimeoutMs = 10000;  // how long a notice stays up
    std::function<void()> processMessagesHook_;

    void buildPopupMenu();
    void applyDesignFonts();
    void hideResourcesColumn();
    void widenFigureColumns();
    void fitFigureFont();
    void setCaptionIfChanged(TNovelLabel* label, const QString& text);
    int readSmallSetting();
    // The settings the program goes by: the file's, or what it could not take.
    Profile currentSettings();

    // The processor usage step of the two-second tick, and the Windows 95 family's statistics.
    void SampleCpuUsage();
    // Measures `CpuUsePer` only; false when the figure could not be read (the last one stands).
    bool measureCpuUsage();
    void startCpuStatistics();
    void stopCpuStatistics();

    // Options of the settings dialog, read live where they are needed.
    bool optionShowCpuUsage() const;

    // Effects of loading the settings on the window; they act only on a change.
    void applyStayOnTop(bool on);
    void setInputTransparent(bool on);
    void applyTaskBarButtonHidden(bool hidden);
    void applyHints(bool show);
    void restoreApplication();

    // Desktop steps of the timer (MainFormDesktop.cpp) and the tray (MainFormTray.cpp).
    void startDesktop(bool small);
    void desktopTick();
    void createTrayIcon();
    void refreshTrayTip();
    void trayPopup();
    void trayActivated(int reason);
    void followTrayMenu();
    // A choice from the tray menu: the menu has closed; while the settings dialog is open no
    // choice reaches the program.
    void trayMenuChoice(const std::function<void()>& handler);
    // The settings dialog holds ModalOpen while it is open, and the tray waits for it.
    void setDialogOpen(bool open);
    void updateModalOpen();
    void hideUnderPointer();
    void showFromUnderPointer();
    void minimizeApplication();
    void setTaskBarSkipped(bool skip);
    NativeWindow currentNativeWindow() const;
    void followNativeWindow();
    WindowBox box() const;

    // The clean's watch over its memory while the window waits in nested loops, and the
    // low-memory episode that keeps refused automatic cleans quiet (MainFormClean.cpp).
    void watchCleanMemory(std::function<void()> check);
    void noteRefusedAutoClean(const CleanResult& result, int64_t needed,
                              const QString& settingNote);
    void showCleanPaused(bool paused);
    // What the next clean goes by: the live options, the stored percentage, `CleanSize`.
    CleanSettings cleanSettings();
    void showCleanRow(bool cleaning);
    CleanHooks cleanHooks(CleanOrigin origin);
    void closeBalloonAfterItsTime();
    // The close: the one save, and the menus and dialogs that hold a clean in their loops.
    void saveSettingsForClose();
    void closeNestedWindows();
    // True when the toolkit's quit is taken away, to come back as a close request.
    bool toolkitQuit();
    void endShortageWhenOver();
    // The trigger's view of the window: its options, sample and processor figure, its clean.
    AutoCleanHooks autoCleanHooks();

    Platform& platform_;
    std::string iniPath_;  // the settings file, fixed at start
    QString iniNotice_;    // why the settings are not where the user may look for them
    std::unique_ptr<Ui::TMainForm> ui_;
    std::unique_ptr<TSettingFrm> settingFrm_;
    QMenu* popupMenu_ = nullptr;
    QTimer* timMain_ = nullptr;
    QTimer* timSub_ = nullptr;
    QTimer* timNested_ = nullptr;
    int tickDepth_ = 0;  // timMainTimer calls on the stack
    NtCpuUsage cpuUsage_;
    QSystemTrayIcon* trayIcon_ = nullptr;
    bool appMinimized_ = false;
    bool changingState_ = false;  // window-state events of our own making are not the user's
    bool taskBarSkipped_ = false;
    QTimer* timCleanWatch_ = nullptr;
    std::function<void()> cleanWatch_;
    AutoCleanTrigger autoTrigger_;
    std::unique_ptr<MemoryProbe> shortageProbe_;
    uint64_t refusedSize_ = 0;
    bool cleanPaused_ = false;
    int noticeSerial_ = 0;
    bool closePending_ = false;       // asked to close during a clean: close when it returns
    bool settingsFinal_ = false;      // saved for the close: nothing writes the file after that
    bool quitting_ = false;           // the close was accepted: the quit that follows is ours
    std::optional<Profile> unsaved_;  // the settings the file could not take
    TrayClickPairing trayClicks_;
    TrayMenuState trayMenu_;
    TrayTipPacer trayTip_;
    bool dialogOpen_ = false;
    bool hiddenUnderPointer_ = false;
    bool movingByPress_ = false;     // the last left press asked the window manager for a move
    NativeWindow nativeWindow_ = 0;  // the native window the hints were last given to

    // The readout's labels in writing order (free, used, total of physical, virtual, page file;
    // then the load) and what each shows: tenths of a megabyte, the load in percent.
    static constexpr size_t kReadoutFigures = 10;
    std::array<TNovelLabel*, kReadoutFigures> readoutLabels_{};
    // Empty until a figure is first written: every value, the largest included, is written once.
    std::array<std::optional<uint64_t>, kReadoutFigures> shownValues_{};
};

}  // namespace kelvo
