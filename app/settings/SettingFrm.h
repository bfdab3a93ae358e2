#pragma once

#include <QDialog>
#include <memory>
#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace Ui {
class TSettingFrm;
}

namespace kelvo {

class Platform;
class TUpDown;

// The settings dialog. Its controls are the program's live store of every option: the main
// window, its timers and the cleaning read them through the accessors below at the moment of
// use, whether or not the dialog is on screen. The settings file is loaded into them and saved
// from them by the main window.
class TSettingFrm : public QDialog {
    Q_OBJECT

  public:
    enum ModalResult { mrNone = 0, mrOk = 1, mrCancel = 2 };

    explicit TSettingFrm(Platform& platform, QWidget* parent = nullptr);
    ~TSettingFrm() override;

    // Shows the dialog modally and returns how it was closed. A dialog that is already on screen
    // cannot be shown modally again: the error is displayed and nothing is returned.
    std::optional<ModalResult> ShowModal();

    // The live options.
    bool stayOnTop() const;
    bool hideHints() const;
    bool dontCatch() const;  // hide the main window under the pointer
    bool showCpuUsage() const;
    bool pauseCleanAtFullCpu() const;
    bool hideTaskBarButton() const;
    int cleanPercent() const;  // clean size in percent of physical memory
    bool autoCleanSize() const;
    bool autoClean() const;
    bool autoOnLowMemory() const;
    int lowMemoryMB() const;  // threshold of free physical memory; also a sized clean's minimum
    bool autoOnLoadDrop() const;
    int loadDropPoints() const;
    bool noAutoCleanAtFullLoad() const;

    Ui::TSettingFrm& ui() { return *ui_; }

    // Event handlers; each also runs when code changes the control, never without a change.
    void FormActivate();
    void trkberMemPerChange();
    void edtMemChange();
    void edtUsePerChange();
    void chkbAutoClick();
    void chkbAutoCleanClick(QCheckBox* sender);
    void ckbStopCpuPerClick();
    void ckbCpuPerClick() {}

  public slots:
    void reject() override;

  protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void applyDesignLook();
    void connectHandlers();
    void holdInRange(QLineEdit* edit, const TUpDown* upDown);
    void fitNumberField(QLineEdit* edit, TUpDown* upDown, QLabel* label, int digits);

    Platform& platform_;
    std::unique_ptr<Ui::TSettingFrm> ui_;
};

}  // namespace kelvo
