#include "app/WinMain.h"

#include "app/FormatFileInstall.h"
#include "app/GlobalUnit.h"
#include "app/IniFile.h"
#include "app/Skins.h"
#include "app/WinErrorHandler.h"
#include "app/WinResources.h"
#include "app/WinSkins.h"
#include "app/WinTaskList.h"
#include "editors/WinAbout.h"
#include "effects/FrameHook.h"
#include "engine/Encoder.h"
#include "engine/EngineLoader.h"
#include "jobs/OutputPath.h"
#include "jobs/WinProgress.h"
#include "platform/Platform.h"
#include "platform/PowerOff.h"
#include "platform/Prompts.h"
#include "profiles/WinFormatList.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSlider>
#include <QToolButton>

#include <stdexcept>

namespace fw {

namespace {

// The window's client area below the menu bar; the controls keep the layout
// of the original design, whose coordinates counted from the top of a skinned
// title bar and menu (56 pixels above this area).
constexpr int kClientWidth = 770;
constexpr int kClientHeight = 424;
constexpr int kDesignTop = 56;
constexpr int kToolTop = 4;  // title bar + 3 + menu bar + 4, in design terms
constexpr int kToolHeight = 51;

QRect Design(int left, int top, int width, int height) {
    return QRect(left, top - kDesignTop, width, height);
}

}  // namespace

TfrmMain::TfrmMain(IPrompts& prompts, IPowerOff& powerOff, QWidget* parent)
    : QMainWindow(parent), prompts_(prompts), powerOff_(powerOff) {
    setObjectName("frmMain");
    InitWindowResources();
    OpenDesktop = [](const QString& target) { return platform::OpenInDesktop(target); };
    FormCreate();
}

TfrmMain::~TfrmMain() {
    DetachEncoderEvents();
    if (CCAVC) CCAVC->StopTasks(true);
    auto* app = qobject_cast<TApplication*>(QCoreApplication::instance());
    if (app && app->ErrorPrompts() == &prompts_) app->SetErrorPrompts(nullptr);
}

// ---------------------------------------------------------------- creation

void TfrmMain::FormCreate() {
    global_ = std::make_unique<GlobalObjectScope>();
    QString installError;
    EnsureFormatFileInstalled(&installError);
    QGuiApplication::setApplicationDisplayName(GlobalObject().ProductName());

    const int skin = ReadSkinIndex();
    SkinPalette(-1);  // the style every theme builds on
    if (SkinOfIndex(skin)) {
        ApplySkin(skin);
        currentSkin_ = skin;
    }
    InstallApplicationErrorHandler(&prompts_);

    CCAVC = std::make_unique<engine::TFFmpegEncoder>();
    BuildControls();
    BuildMenus();
    BindEncoderEvents();

    if (!installError.isEmpty()) mmoLog->appendPlainText(installError);
    if (!engine::EngineLibrariesLoaded() &&
        !engine::LoadEngineLibraries(platform::ExecutableFolder() + "LibAV"))
        mmoLog->appendPlainText(engine::EngineLoadError());
}

QToolButton* TfrmMain::ToolButton(const char* name, const QString& caption, const QString& icon,
                                  int left, int width) {
    auto* b = new QToolButton(centralWidget());
    b->setObjectName(name);
    b->setText(caption);
    b->setIcon(QIcon(icon));
    b->setIconSize(QSize(24, 24));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setAutoRaise(true);
    b->setGeometry(left, kToolTop, width, kToolHeight);
    return b;
}

void TfrmMain::BuildControls() {
    auto* client = new QWidget(this);
    client->setObjectName("suiFrmMain");
    setCentralWidget(client);
    client->setFixedSize(kClientWidth, kClientHeight);

    btnAdd = ToolButton("btnAdd", "&Add", ":/icons/add.png", 7, 73);
    btnRemove = ToolButton("btnRemove", "&Remove", ":/icons/remove.png", 81, 94);
    btnClear = ToolButton("btnClear", "&Clear", ":/icons/clear.png", 176, 78);
    BtnEdit = ToolButton("BtnEdit", "&Edit", ":/icons/edit.png", 255, 76);
    btnSettings = ToolButton("btnSettings", "&Settings", ":/icons/settings.png", 332, 91);
    btnStart = ToolButton("btnStart", "&Start", ":/icons/start.png", 424, 75);
    btnExit = ToolButton("btnExit", "&Exit", ":/icons/exit.png", 500, 72);
    btnSettings->setEnabled(false);  // the settings dialog comes with its own feature

    // The product's mark in the free space right of the tool buttons.
    auto* imgLogo = new QLabel(client);
    imgLogo->setObjectName("imgLogo");
    imgLogo->setPixmap(QIcon(":/icons/framewright.png").pixmap(40, 40));
    imgLogo->setGeometry(586, kToolTop + 5, 40, 40);
    auto* lblProduct = new QLabel(client);
    lblProduct->setObjectName("lblProduct");
    lblProduct->setText("<b style='font-size:11pt'>Orvex Tarnwell</b><br>Video Converter");
    lblProduct->setGeometry(632, kToolTop + 5, 134, 42);

    auto guarded = [](auto fn) { return [fn] { RunGuarded(fn); }; };
    connect(btnAdd, &QToolButton::clicked, this, guarded([this] { btnAddClick(); }));
    connect(btnRemove, &QToolButton::clicked, this, guarded([this] { btnRemoveClick(); }));
    connect(btnClear, &QToolButton::clicked, this, guarded([this] { btnClearClick(); }));
    connect(BtnEdit, &QToolButton::clicked, this, guarded([this] { BtnEditClick(); }));
    connect(btnStart, &QToolButton::clicked, this, guarded([this] { btnStartClick(); }));
    connect(btnExit, &QToolButton::clicked, this, guarded([this] { btnExitClick(); }));

    // The task list.
    lvFiles = new TTaskListView(client);
    lvFiles->setGeometry(Design(7, 116, 484, 277));
    lvFilesModel = new TTaskItemModel(tasks_, lvFiles);
    lvFiles->setModel(lvFilesModel);
    lvFiles->OddRowTint = [this] { return OddRowColor(); };
    lvFiles->header()->hide();
    connect(lvFiles->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                tasks_.Select(current.isValid() ? current.row() : -1);
            });
    connect(lvFiles, &TTaskListView::checkClicked, this,
            [this](int row) { RunGuarded([=, this] { lvFilesCheckClick(row); }); });
    connect(lvFiles, &TTaskListView::rightClicked, this,
            [this](const QPoint& pos) { RunGuarded([=, this] { lvFilesMouseDown(pos); }); });
    connect(lvFiles, &TTaskListView::rowDoubleClicked, this,
            guarded([this] { lvFilesDblClick(); }));
    connect(lvFiles, &TTaskListView::filesDropped, this,
            [this](const QStringList& files) { RunGuarded([=, this] { AddFiles(files); }); });

    // The preview area; the player itself arrives with the preview feature.
    suiGroupBox1 = new QGroupBox("Preview", client);
    suiGroupBox1->setObjectName("suiGroupBox1");
    suiGroupBox1->setGeometry(Design(495, 110, 268, 283));
    pan1 = new QFrame(suiGroupBox1);
    pan1->setObjectName("pan1");
    pan1->setGeometry(6, 20, 256, 183);
    pan1->setAutoFillBackground(true);
    QPalette panel = pan1->palette();
    panel.setColor(QPalette::Window, QColor(128, 128, 128));
    pan1->setPalette(panel);
    pan1->setFrameShape(QFrame::StyledPanel);
    auto* panLogo = new QLabel(pan1);
    panLogo->setPixmap(QIcon(":/icons/film.png").pixmap(48, 48));
    panLogo->setGeometry(104, 67, 48, 48);
    trcPreview = new QSlider(Qt::Horizontal, suiGroupBox1);
    trcPreview->setObjectName("trcPreview");
    trcPreview->setGeometry(6, 206, 256, 16);
    trcPreview->setEnabled(false);
    lblTime = new QLabel("00:00:00", suiGroupBox1);
    lblTime->setObjectName("lblTime");
    lblTime->setGeometry(8, 222, 80, 16);
    lblPTS = new QLabel("00:00:00", suiGroupBox1);
    lblPTS->setObjectName("lblPTS");
    lblPTS->setGeometry(180, 222, 80, 16);
    lblPTS->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto playerButton = [&](const char* name, const QString& tip, const QString& icon, int left) {
        auto* b = new QToolButton(suiGroupBox1);
        b->setObjectName(name);
        b->setToolTip(tip);
        b->setIcon(QIcon(icon));
        b->setIconSize(QSize(16, 16));
        b->setGeometry(left, 240, 26, 24);
        b->setEnabled(false);
        return b;
    };
    btnPlay = playerButton("btnPlay", "Play", ":/icons/play.png", 6);
    btnPausePlay = playerButton("btnPause", "Pause", ":/icons/pause.png", 34);
    btnStopPlay = playerButton("btnStop", "Stop", ":/icons/stop.png", 62);
    btnCapture = playerButton("btnCapture", "capture image", ":/icons/snapshot.png", 90);
    ckMute = new QCheckBox("Mute", suiGroupBox1);
    ckMute->setObjectName("ckMute");
    ckMute->setGeometry(196, 242, 66, 20);
    auto* lblVolume = new QLabel("Volume:", suiGroupBox1);
    lblVolume->setGeometry(8, 263, 56, 16);
    trcVolume = new QSlider(Qt::Horizontal, suiGroupBox1);
    trcVolume->setObjectName("trcVolume");
    trcVolume->setGeometry(64, 263, 198, 16);
    trcVolume->setRange(0, 128);
    connect(trcVolume, &QSlider::valueChanged, this, guarded([this] { trcVolumeChange(); }));
    connect(ckMute, &QCheckBox::clicked, this, guarded([this] { ckMuteClick(); }));

    // Output settings.
    suiGroupBox2 = new QGroupBox("Output Settings", client);
    suiGroupBox2->setObjectName("suiGroupBox2");
    suiGroupBox2->setGeometry(Design(7, 392, 484, 73));
    auto* lblFormat = new QLabel("Output Format:", suiGroupBox2);
    lblFormat->setGeometry(8, 18, 106, 22);
    formatDropDown = new TFormatDropDown(TFormatDropDown::Mode::MainWindow, suiGroupBox2, client);
    formatDropDown->SetBoxGeometry(QRect(116, 18, 278, 22));
    btnOptions = new QToolButton(suiGroupBox2);
    btnOptions->setObjectName("btnOptions");
    btnOptions->setText("Settings");
    btnOptions->setGeometry(400, 17, 76, 24);
    btnOptions->setEnabled(false);  // the settings dialog comes with its own feature
    auto* lblDirectory = new QLabel("Output Directory:", suiGroupBox2);
    lblDirectory->setGeometry(8, 45, 106, 22);
    edDirectory = new QLineEdit(suiGroupBox2);
    edDirectory->setObjectName("edDirectory");
    edDirectory->setReadOnly(true);
    edDirectory->setGeometry(116, 45, 200, 22);
    btnBrows = new QToolButton(suiGroupBox2);
    btnBrows->setObjectName("btnBrows");
    btnBrows->setText("Brows");
    btnBrows->setGeometry(322, 44, 74, 24);
    btnOpen = new QToolButton(suiGroupBox2);
    btnOpen->setObjectName("btnOpen");
    btnOpen->setText("Open");
    btnOpen->setGeometry(400, 44, 76, 24);
    connect(btnBrows, &QToolButton::clicked, this, guarded([this] { btnBrowsClick(); }));
    connect(btnOpen, &QToolButton::clicked, this, guarded([this] { btnOpenClick(); }));
    connect(edDirectory, &QLineEdit::textChanged, this, guarded([this] { edDirectoryChange(); }));

    SpeedButton1 = new QToolButton(client);
    SpeedButton1->setObjectName("SpeedButton1");
    SpeedButton1->setText("&Start");
    SpeedButton1->setIcon(QIcon(":/icons/start.png"));
    SpeedButton1->setIconSize(QSize(32, 32));
    SpeedButton1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    SpeedButton1->setGeometry(Design(586, 411, 105, 59));
    QFont big = SpeedButton1->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.25);
    SpeedButton1->setFont(big);
    connect(SpeedButton1, &QToolButton::clicked, this, guarded([this] { btnStartClick(); }));

    mmoLog = new QPlainTextEdit(client);
    mmoLog->setObjectName("mmoLog");
    mmoLog->setReadOnly(true);
    mmoLog->hide();

    formatDropDown->lst1->raise();
}

QAction* TfrmMain::MenuItem(QMenu* menu, const char* name, const QString& caption,
                            const std::function<void()>& handler) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    if (handler) connect(a, &QAction::triggered, this, [handler] { RunGuarded(handler); });
    return a;
}

void TfrmMain::BuildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName("suiMainMenu1");

    File1 = bar->addMenu("&File");
    File1->setObjectName("File1");
    MenuItem(File1, "Add1", "&Add", [this] { btnAddClick(); });
    MenuItem(File1, "Remove1", "&Remove", [this] { btnRemoveClick(); });
    MenuItem(File1, "Clear1", "&Clear", [this] { btnClearClick(); });
    MenuItem(File1, "Start1", "&Start", [this] { btnStartClick(); });
    File1->addSeparator();
    QAction* settings = MenuItem(File1, "Settings1", "Se&ttings", nullptr);
    settings->setVisible(false);
    MenuItem(File1, "Exit1", "&Exit", [this] { btnExitClick(); });

    Edit1 = bar->addMenu("&Edit");
    Edit1->setObjectName("Edit1");
    MenuItem(Edit1, "Crop1", "&Crop", nullptr);
    MenuItem(Edit1, "Trim1", "&Trim", nullptr);
    MenuItem(Edit1, "VideoEffect1", "&Video Effect && Water Mark", nullptr);
    Edit1->addSeparator();
    MenuItem(Edit1, "CheckAll1", "&Check All", [this] { CheckAll1Click(); });
    MenuItem(Edit1, "UncheckAll1", "&Uncheck All", [this] { UncheckAll1Click(); });
    MenuItem(Edit1, "ReverseCheck1", "&Reverse Check", [this] { ReverseCheck1Click(); });
    Edit1->addSeparator();
    MenuItem(Edit1, "Check1", "C&heck", [this] { Check1Click(); });
    MenuItem(Edit1, "Uncheck1", "U&ncheck", [this] { Uncheck1Click(); });
    connect(Edit1, &QMenu::aboutToShow, this, [this] { RunGuarded([this] { Edit1Popup(); }); });

    Tools1 = bar->addMenu("&Tools");
    Tools1->setObjectName("Tools1");
    QAction* preference = MenuItem(Tools1, "Preference1", "&Preference", nullptr);
    preference->setEnabled(false);  // the preferences dialog comes with its own feature
    Skin1 = Tools1->addMenu("&Skin");
    Skin1->setObjectName("Skin1");
    for (int i = 0; i < kSkinCount; ++i) {
        const TSkinTheme& t = SkinThemes()[size_t(i)];
        QAction* item = MenuItem(Skin1, t.MenuItem, t.Caption, [this, i] { SkinClick(i); });
        item->setCheckable(true);
        SkinItems.append(item);
    }
    connect(Skin1, &QMenu::aboutToShow, this, [this] { RunGuarded([this] { Skin1Popup(); }); });

    Help1 = bar->addMenu("&Help");
    Help1->setObjectName("Help1");
    MenuItem(Help1, "Help2", "&Help", [this] { Help2Click(); });
    Help1->addSeparator();
    MenuItem(Help1, "WebSite1", "&Web Site", [this] { WebSite1Click(); });
    MenuItem(Help1, "SupportandContact1", "&Support and Contact",
             [this] { SupportandContact1Click(); });
    MenuItem(Help1, "About1", "&About", [this] { About1Click(); });

    suiPopupMenu1 = new QMenu(this);
    suiPopupMenu1->setObjectName("suiPopupMenu1");
    MenuItem(suiPopupMenu1, "PopCrop", "&Crop", nullptr);
    MenuItem(suiPopupMenu1, "PopTrim", "&Trim", nullptr);
    MenuItem(suiPopupMenu1, "PopVideoEffect", "&Video Effect && Water Mark", nullptr);
    suiPopupMenu1->addSeparator();
    MenuItem(suiPopupMenu1, "PopAdd", "Add", [this] { btnAddClick(); });
    MenuItem(suiPopupMenu1, "PopRemove", "Remove", [this] { btnRemoveClick(); });
    MenuItem(suiPopupMenu1, "PopClear", "Clear", [this] { btnClearClick(); });
    MenuItem(suiPopupMenu1, "PopStart", "Start", [this] { btnStartClick(); });
    suiPopupMenu1->addSeparator();
    MenuItem(suiPopupMenu1, "PopVideoInfo", "Video Infomation", nullptr);
    connect(suiPopupMenu1, &QMenu::aboutToShow, this,
            [this] { RunGuarded([this] { suiPopupMenu1Popup(); }); });
}

void TfrmMain::BindEncoderEvents() {
    CCAVC->PreviewBitmap = true;
    CCAVC->OnProgress = [this](const engine::TProgressInfo& info) {
        RunGuarded([&] { CCAVCProgress(info); });
    };
    CCAVC->OnPreviewBitmap = [this](const engine::TPreviewInfo& info) {
        RunGuarded([&] { CCAVCPreviewBitmap(info); });
    };
    CCAVC->OnTerminate = [this](const engine::TTerminateInfo& info) {
        RunGuarded([&] { CCAVCTerminate(info); });
    };
    CCAVC->OnCustomHook = [this](engine::THookInfo& info) { CCAVCCustomHook(info); };
    CCAVC->OnLog = [this](const QString& line) { CCAVCLog(line); };
}

void TfrmMain::DetachEncoderEvents() {
    if (!CCAVC) return;
    CCAVC->OnCustomHook = nullptr;
    CCAVC->OnProgress = nullptr;
    CCAVC->OnPreviewBitmap = nullptr;
    CCAVC->OnTerminate = nullptr;
    CCAVC->OnLog = nullptr;
}

// ---------------------------------------------------------------- first show

void TfrmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        RunGuarded([this] { FormShow(); });
    }
}

void TfrmMain::FormShow() {
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    btnPlay->setEnabled(false);  // the preview player comes with its own feature
    btnPausePlay->setEnabled(false);
    btnStopPlay->setEnabled(false);
    btnCapture->setEnabled(false);
    trcPreview->setEnabled(false);
    previewPicture_ = QImage();

    const QString outputDir = RepairFolderKey("OutPutDir");
    RepairFolderKey("SnapOutPutDir");
    {
        const QSignalBlocker quiet(edDirectory);  // showing the folder is not a change
        edDirectory->setText(outputDir);
    }
    edDirectory->setCursorPosition(0);
    QPalette p = edDirectory->palette();
    p.setColor(QPalette::Base, QColor(246, 247, 248));
    edDirectory->setPalette(p);

    const IniFile settings = SettingsIni();
    const int volume = settings.ReadInteger("settings", "volume", 0);
    {
        const QSignalBlocker quiet(trcVolume);
        trcVolume->setRange(0, 128);
        trcVolume->setValue(volume < 0 || volume > 128 ? 64 : volume);
    }
    const int mute = settings.ReadInteger("settings", "mute", 0);
    if (mute == 0 || mute == 1) {
        const QSignalBlocker quiet(ckMute);
        ckMute->setChecked(mute == 1);
    }

    lvFilesModel->SetStartColumns(true);
    RefreshList();
    GlobalObject().SetVersionText(TGlobalObject::BuildVersionText());
    setWindowTitle(GlobalObject().ProductName() + GlobalObject().VersionText());
    formatDropDown->BuildFormatList();
}

// ---------------------------------------------------------------- closing

void TfrmMain::closeEvent(QCloseEvent* event) {
    bool ok = false;
    RunGuarded([&] { ok = FormCloseQuery(); });
    if (ok)
        event->accept();
    else
        event->ignore();
}

bool TfrmMain::FormCloseQuery() {
    if (closing_) return true;
    if (prompts_.MessageBox("Warning", "Do you really want to exit?", MsgIcon::Question,
                            MsgButtons::YesNo) != MsgResult::Yes)
        return false;
    closing_ = true;
    formatDropDown->CloseList();
    formatDropDown->SaveFormatListState();
    DetachEncoderEvents();
    CCAVC->StopTasks(true);
    previewPicture_ = QImage();
    run_ = TRunStart{};
    taskEffects_.clear();
    global_.reset();
    return true;
}

// ---------------------------------------------------------------- the task list

void TfrmMain::RefreshList() {
    lvFilesModel->Reload();
    lvFiles->header()->setVisible(lvFilesModel->ColumnsShown());
    if (lvFilesModel->ColumnsShown()) {
        const QList<int>& widths = TaskListModel::ColumnWidths();
        for (int c = 0; c < widths.size(); ++c) lvFiles->header()->resizeSection(c, widths[c]);
    }
    const int selected = tasks_.Selected();
    if (selected >= 0) {
        const QModelIndex index = lvFilesModel->index(selected, 0);
        lvFiles->setCurrentIndex(index);
        lvFiles->scrollTo(index);
    }
    lvFiles->viewport()->update();
}

void TfrmMain::RowChanged(int row) {
    lvFilesModel->RowChanged(row);
}

bool TfrmMain::HasSelectedRow() const {
    return !tasks_.IsEmpty() && tasks_.Selected() >= 0 && lvFiles->selectionModel()->hasSelection();
}

QColor TfrmMain::OddRowColor() const {
    return ToColor(OddRowTint(currentSkin_));
}

QString TfrmMain::OpenDialogFilter() {
    return "FLV files (*.flv);;"
           "All media files (*.flv *.mp4 *.m4v *.mov *.avi *.wmv *.asf *.mkv *.webm *.mpg *.mpeg "
           "*.vob *.ts *.m2ts *.mts *.3gp *.3g2 *.dv *.ogv *.ogg *.mp3 *.aac *.m4a *.wma *.wav "
           "*.ac3 *.flac *.opus *.swf);;"
           "All files (*)";
}

void TfrmMain::btnAddClick() {
    if (!engine::LoadEngineLibraries(platform::ExecutableFolder() + "LibAV")) return;
    const QStringList files = prompts_.OpenFiles(OpenDialogFilter());
    if (files.isEmpty()) return;
    AddFiles(files);
}

void TfrmMain::AddFiles(const QStringList& paths) {
    if (paths.isEmpty()) return;
    if (!engine::LoadEngineLibraries(platform::ExecutableFolder() + "LibAV")) return;
    const int added = tasks_.AddFiles(paths, *CCAVC, prompts_);
    if (added > 0) {
        btnStart->setEnabled(true);
        btnClear->setEnabled(true);
        btnRemove->setEnabled(true);
    }
    RefreshList();
    lvFiles->setFocus();
}

void TfrmMain::btnRemoveClick() {
    if (tasks_.Selected() < 0 || !HasSelectedRow()) return;
    tasks_.RemoveSelected();
    if (tasks_.IsEmpty()) lvFilesModel->SetStartColumns(false);
    RefreshList();
    if (!tasks_.IsEmpty()) lvFiles->setFocus();
}

void TfrmMain::btnClearClick() {
    if (tasks_.IsEmpty()) return;
    CCAVC->ClearTasks();
    tasks_.Clear();
    lvFilesModel->SetStartColumns(false);
    RefreshList();
}

void TfrmMain::CheckAll1Click() {
    tasks_.CheckAll();
    lvFiles->viewport()->update();
}
void TfrmMain::UncheckAll1Click() {
    tasks_.UncheckAll();
    lvFiles->viewport()->update();
}
void TfrmMain::ReverseCheck1Click() {
    tasks_.ReverseCheck();
    lvFiles->viewport()->update();
}
void TfrmMain::Check1Click() {
    if (!HasSelectedRow()) return;
    tasks_.CheckSelected();
    RowChanged(tasks_.Selected());
}
void TfrmMain::Uncheck1Click() {
    if (!HasSelectedRow()) return;
    tasks_.UncheckSelected();
    RowChanged(tasks_.Selected());
}

void TfrmMain::lvFilesCheckClick(int row) {
    if (row < 0 || row >= tasks_.Count()) return;
    tasks_.SetChecked(row, !tasks_.Row(row).Checked);
    RowChanged(row);
}

void TfrmMain::lvFilesMouseDown(const QPoint& globalPos) {
    suiPopupMenu1->popup(globalPos);
}

// Playing the selected row belongs to the preview player, which is not part
// of this window yet; a double click on empty space does nothing either way.
void TfrmMain::lvFilesDblClick() {}

// ---------------------------------------------------------------- menus

void TfrmMain::Edit1Popup() {
    const bool e = HasSelectedRow();
    for (const char* name : {"CheckAll1", "UncheckAll1", "ReverseCheck1", "Check1", "Uncheck1"})
        if (auto* a = Edit1->findChild<QAction*>(name)) a->setEnabled(e);
    // The editors come with their own features; until then their items stay off.
    for (const char* name : {"Crop1", "Trim1", "VideoEffect1"})
        if (auto* a = Edit1->findChild<QAction*>(name)) {
            a->setVisible(true);
            a->setEnabled(false);
        }
}

void TfrmMain::suiPopupMenu1Popup() {
    const bool e = HasSelectedRow();
    for (const char* name : {"PopRemove", "PopClear", "PopStart"})
        if (auto* a = suiPopupMenu1->findChild<QAction*>(name)) a->setEnabled(e);
    for (const char* name : {"PopCrop", "PopTrim", "PopVideoEffect", "PopVideoInfo"})
        if (auto* a = suiPopupMenu1->findChild<QAction*>(name)) {
            a->setVisible(true);
            a->setEnabled(false);
        }
    if (auto* a = suiPopupMenu1->findChild<QAction*>("PopAdd")) a->setEnabled(true);
}

void TfrmMain::BtnEditClick() {
    suiPopupMenu1->popup(BtnEdit->mapToGlobal(QPoint(0, BtnEdit->height())));
}

void TfrmMain::btnExitClick() {
    close();
}

void TfrmMain::Skin1Popup() {
    const int index = ReadSkinIndex();
    if (index >= 0 && index < SkinItems.size()) SkinItems[index]->setChecked(true);
}

void TfrmMain::SkinClick(int skinIndex) {
    if (skinIndex < 0 || skinIndex >= SkinItems.size()) return;
    // A checkable item flips itself before its handler runs: "already checked"
    // means it was checked before this click.
    QAction* item = SkinItems[skinIndex];
    if (!item->isChecked()) {
        item->setChecked(true);
        return;
    }
    ApplySkin(skinIndex);
    currentSkin_ = skinIndex;
    for (int i = 0; i < SkinItems.size(); ++i) SkinItems[i]->setChecked(i == skinIndex);
    lvFiles->viewport()->update();
    WriteSkinIndex(skinIndex);
}

// ---------------------------------------------------------------- output folder

void TfrmMain::btnBrowsClick() {
    const QString chosen = prompts_.ChooseFolder(edDirectory->text());
    QString shown;
    const BrowseOutcome outcome = ApplyBrowsedFolder(chosen, edDirectory->text(), prompts_, &shown);
    if (outcome == BrowseOutcome::Accepted || outcome == BrowseOutcome::Replaced) {
        edDirectory->setText(shown);
        edDirectory->setCursorPosition(0);
    }
}

void TfrmMain::btnOpenClick() {
    OpenOutputFolder(edDirectory->text(), OpenDesktop);
}

void TfrmMain::edDirectoryChange() {
    if (!GlobalObjectExists()) return;
    IniFile settings = SettingsIni();
    settings.WriteString("settings", "OutPutDir", edDirectory->text());
}

void TfrmMain::trcVolumeChange() {
    IniFile settings = SettingsIni();
    settings.WriteInteger("settings", "volume", trcVolume->value());
}

void TfrmMain::ckMuteClick() {
    IniFile settings = SettingsIni();
    settings.WriteInteger("settings", "mute", ckMute->isChecked() ? 1 : 0);
}

// ---------------------------------------------------------------- help

QString TfrmMain::SupportAddress() {
    return "https://framewright.example.org/support/";
}

void TfrmMain::OpenAddress(const QString& address) {
    if (OpenDesktop && !address.isEmpty()) OpenDesktop(address);
}

void TfrmMain::Help2Click() {
    OpenAddress(GlobalObject().HelpAddress());
}
void TfrmMain::WebSite1Click() {
    OpenAddress(GlobalObject().WebSiteAddress());
}
void TfrmMain::SupportandContact1Click() {
    OpenAddress(SupportAddress());
}

void TfrmMain::About1Click() {
    if (!frmAbout_) {
        frmAbout_ = std::make_unique<TfrmAbout>(this);
        frmAbout_->OpenAddress = [this](const QString& a) { OpenAddress(a); };
    }
    frmAbout_->exec();
}

// ---------------------------------------------------------------- a run

void TfrmMain::EnableRunButtons() {
    for (QToolButton* b : {btnAdd, btnRemove, btnClear, btnStart}) b->setEnabled(true);
}

void TfrmMain::btnStartClick() {
    formatDropDown->CloseList();
    run_ = StartRun(tasks_, *CCAVC, prompts_);
    RefreshList();
    if (!run_.Started) {
        // Every checked row was refused: say so, since no progress window follows.
        if (!run_.RefusedRows.isEmpty()) {
            QStringList lines;
            for (const auto& [row, reason] : run_.RefusedRows)
                lines << tasks_.Row(row).Caption + ": " + reason;
            prompts_.MessageBox("Warning", "No file could be converted:\n" + lines.join("\n"),
                                MsgIcon::Warning, MsgButtons::Ok);
        }
        return;
    }
    taskEffects_.clear();
    for (int row : run_.TaskToRow) taskEffects_.push_back(FrameEffectsOf(tasks_.Row(row).Record));
    hook_ = std::make_unique<effects::TFrameHookProcessor>();
    previewPicture_ = QImage();

    if (!frmProgress_) frmProgress_ = std::make_unique<TfrmProgress>(*CCAVC, previewPicture_, this);
    frmProgress_->exec();
}

void TfrmMain::CCAVCProgress(const engine::TProgressInfo& info) {
    const int row = run_.TaskToRow.value(info.TaskIndex, -1);
    if (row < 0 || row >= tasks_.Count() || !frmProgress_) return;
    if (const auto percent = ProgressPercent(info)) frmProgress_->progbarFile->setValue(*percent);
    tasks_.Row(row).Progress = ProgressColumnText(info);
    RowChanged(row);
    frmProgress_->lblTime->setText(SecondsText(info.CurrentTime));
    frmProgress_->lblLength->setText(SecondsText(info.TotalTime));
    frmProgress_->lblSize->setText(SizeKbText(info.OutputSize));
    frmProgress_->lblProgress->setText(BatchPositionText(info.TaskIndex, CCAVC->TaskCount()));
    frmProgress_->lblOutput->setText(ShortenedFileName(tasks_.Row(row).Caption));
    frmProgress_->lblOutput->setToolTip(tasks_.Row(row).Caption);
}

void TfrmMain::CCAVCPreviewBitmap(const engine::TPreviewInfo& info) {
    if (info.FrameBitmap.width() > 0 && info.FrameBitmap.height() > 0)
        previewPicture_ = info.FrameBitmap.copy();
}

void TfrmMain::CCAVCTerminate(const engine::TTerminateInfo& info) {
    if (info.TaskIndex < 0) {
        EnableRunButtons();
        CCAVC->ClearTasks();
        if (frmProgress_) frmProgress_->CloseAfterRun();
        return;
    }
    const int row = run_.TaskToRow.value(info.TaskIndex, -1);
    if (row < 0 || row >= tasks_.Count()) return;
    TTaskRow& r = tasks_.Row(row);
    if (info.Failed) {
        // A failed file must not pass for a stopped one: the row says so and
        // its tool tip tells why; the batch goes on with the next file.
        r.Progress = "Failed";
        r.FailReason =
            info.ErrorText.isEmpty() ? QString("The conversion failed.") : info.ErrorText;
        RowChanged(row);
        return;
    }
    if (!info.Finished) return;  // stopped: the row keeps its last percentage
    r.Progress = "100%";
    r.FailReason.clear();
    RowChanged(row);
    if (frmProgress_) frmProgress_->progbarFile->setValue(100);
    if (CompletesBatch(info, run_, tasks_)) {
        if (frmProgress_ && frmProgress_->ckOpen->isChecked())
            OpenOutputFolder(edDirectory->text(), OpenDesktop);
        if (frmProgress_ && frmProgress_->ckShutDown->isChecked()) powerOff_.PowerOff();
    }
}

// Runs on the conversion thread; the effects table is fixed for the run.
void TfrmMain::CCAVCCustomHook(engine::THookInfo& info) {
    if (info.TaskIndex < 0 || size_t(info.TaskIndex) >= taskEffects_.size() || !hook_ ||
        !info.FrameBitmap)
        return;
    QString error;
    if (!hook_->Process(*info.FrameBitmap, info.FrameTime, taskEffects_[size_t(info.TaskIndex)],
                        &error, &info.ChangedRect))
        throw std::runtime_error(error.toStdString());
}

// Engine messages may come from the conversion thread; the log memo is
// written on the window's own thread.
void TfrmMain::CCAVCLog(const QString& line) {
    QMetaObject::invokeMethod(
        this,
        [this, line] {
            if (mmoLog) mmoLog->appendPlainText(line);
        },
        Qt::QueuedConnection);
}

}  // namespace fw
