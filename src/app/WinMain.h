// The main window: tool buttons, menus, the task list, the preview area and
// the output settings; it owns the encoder, the task list and the run state,
// and drives a conversion run with its progress window.
#pragma once

#include "engine/EngineTypes.h"
#include "jobs/ConversionRun.h"
#include "jobs/TaskList.h"

#include <QImage>
#include <QMainWindow>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QSlider;
class QToolButton;
class QFrame;

namespace fw {

class GlobalObjectScope;
class IPowerOff;
class IPrompts;
class TFormatDropDown;
class TTaskItemModel;
class TTaskListView;
class TfrmAbout;
class TfrmProgress;

namespace effects {
class TFrameHookProcessor;
struct TFrameEffects;
}  // namespace effects
namespace engine {
class TFFmpegEncoder;
}

class TfrmMain : public QMainWindow {
    Q_OBJECT

  public:
    TfrmMain(IPrompts& prompts, IPowerOff& powerOff, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // Adds files as "&Add" does after its open dialog (files named on the
    // command line, files dropped on the list).
    void AddFiles(const QStringList& paths);

    TaskListModel& Tasks() { return tasks_; }
    engine::TFFmpegEncoder& Encoder() { return *CCAVC; }
    TfrmProgress* ProgressWindow() const { return frmProgress_.get(); }
    const TRunStart& CurrentRun() const { return run_; }
    int CurrentSkin() const { return currentSkin_; }
    const QImage& PreviewPicture() const { return previewPicture_; }
    QColor OddRowColor() const;
    // Re-reads the task list into the view and restores its selection.
    void RefreshList();

    // Opens folders and web addresses; tests replace it so nothing is opened.
    std::function<bool(const QString&)> OpenDesktop;

    // Event handlers, named after their controls.
    void FormCreate();
    void FormShow();
    bool FormCloseQuery();
    void btnAddClick();
    void btnRemoveClick();
    void btnClearClick();
    void BtnEditClick();
    void btnStartClick();
    void btnExitClick();
    void CheckAll1Click();
    void UncheckAll1Click();
    void ReverseCheck1Click();
    void Check1Click();
    void Uncheck1Click();
    void Edit1Popup();
    void suiPopupMenu1Popup();
    void Skin1Popup();
    void SkinClick(int skinIndex);
    void btnBrowsClick();
    void btnOpenClick();
    void edDirectoryChange();
    void Help2Click();
    void WebSite1Click();
    void SupportandContact1Click();
    void About1Click();
    void lvFilesMouseDown(const QPoint& globalPos);
    void lvFilesDblClick();
    void lvFilesCheckClick(int row);
    void trcVolumeChange();
    void ckMuteClick();

    // Encoder events.
    void CCAVCProgress(const engine::TProgressInfo& info);
    void CCAVCPreviewBitmap(const engine::TPreviewInfo& info);
    void CCAVCTerminate(const engine::TTerminateInfo& info);
    void CCAVCCustomHook(engine::THookInfo& info);
    void CCAVCLog(const QString& line);

    static QString SupportAddress();
    static QString OpenDialogFilter();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildControls();
    void BuildMenus();
    QToolButton* ToolButton(const char* name, const QString& caption, const QString& icon, int left,
                            int width);
    QAction* MenuItem(QMenu* menu, const char* name, const QString& caption,
                      const std::function<void()>& handler);
    void RowChanged(int row);
    bool HasSelectedRow() const;
    void EnableRunButtons();
    void OpenAddress(const QString& address);
    void BindEncoderEvents();
    void DetachEncoderEvents();

    IPrompts& prompts_;
    IPowerOff& powerOff_;
    std::unique_ptr<GlobalObjectScope> global_;
    std::unique_ptr<engine::TFFmpegEncoder> CCAVC;
    TaskListModel tasks_;
    TRunStart run_;  // the task-to-row map and the outputs of the current run
    std::vector<effects::TFrameEffects> taskEffects_;
    std::unique_ptr<effects::TFrameHookProcessor> hook_;
    QImage previewPicture_;
    int currentSkin_ = -1;
    bool shown_ = false;
    bool closing_ = false;

    std::unique_ptr<TfrmProgress> frmProgress_;
    std::unique_ptr<TfrmAbout> frmAbout_;

  public:
    // Controls, named as the program names them.
    QToolButton* btnAdd = nullptr;
    QToolButton* btnRemove = nullptr;
    QToolButton* btnClear = nullptr;
    QToolButton* BtnEdit = nullptr;
    QToolButton* btnSettings = nullptr;
    QToolButton* btnStart = nullptr;
    QToolButton* btnExit = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    TTaskListView* lvFiles = nullptr;
    TTaskItemModel* lvFilesModel = nullptr;
    QGroupBox* suiGroupBox1 = nullptr;
    QFrame* pan1 = nullptr;
    QSlider* trcPreview = nullptr;
    QLabel* lblTime = nullptr;
    QLabel* lblPTS = nullptr;
    QToolButton* btnPlay = nullptr;
    QToolButton* btnPausePlay = nullptr;
    QToolButton* btnStopPlay = nullptr;
    QToolButton* btnCapture = nullptr;
    QCheckBox* ckMute = nullptr;
    QSlider* trcVolume = nullptr;
    QGroupBox* suiGroupBox2 = nullptr;
    TFormatDropDown* formatDropDown = nullptr;  // edt1, imgbtn1, lst1
    QToolButton* btnOptions = nullptr;
    QLineEdit* edDirectory = nullptr;
    QToolButton* btnBrows = nullptr;
    QToolButton* btnOpen = nullptr;
    QPlainTextEdit* mmoLog = nullptr;

    QMenu* File1 = nullptr;
    QMenu* Edit1 = nullptr;
    QMenu* Tools1 = nullptr;
    QMenu* Skin1 = nullptr;
    QMenu* Help1 = nullptr;
    QMenu* suiPopupMenu1 = nullptr;
    QList<QAction*> SkinItems;  // Skin11 .. Skin71
};

}  // namespace fw
