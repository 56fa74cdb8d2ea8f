#include "explorer/frmTarnwell.h"

#include <new>

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "explorer/BrowserCommands.h"
#include "explorer/CVSplitter.h"
#include "explorer/ColumnWidths.h"
#include "explorer/CommandTable.h"
#include "explorer/ContentsList.h"
#include "explorer/ContentsModel.h"
#include "explorer/DragDrop.h"
#include "explorer/EditCommands.h"
#include "explorer/FileCommands.h"
#include "explorer/FindCommands.h"
#include "explorer/FolderPanes.h"
#include "explorer/FolderTree.h"
#include "explorer/HelpWindow.h"
#include "explorer/Icons.h"
#include "explorer/ImportExportCommands.h"
#include "explorer/PaneInput.h"
#include "explorer/TrayIcon.h"
#include "explorer/UndoCommands.h"
#include "explorer/WindowPlacement.h"
#include "explorer/dialogs/frmAbout.h"
#include "platform/EventPump.h"
#include "platform/MessageBoxes.h"
#include "platform/qt/QtString.h"
#include "settings/SettingsStore.h"
#include "store/Clients.h"
#include "store/Editing.h"
#include "store/Images.h"
#include "store/LinkStore.h"

namespace brindlex {

namespace {

constexpr Command ViewModeCommands[4]
    = { Command::LargeIcons, Command::SmallIcons, Command::ListMode, Command::Details };
constexpr Command PopupViewModeCommands[4]
    = { Command::ListLargeIcons, Command::ListSmallIcons, Command::ListListMode, Command::ListDetails };
constexpr Command ViewModeButtons[4]
    = { Command::LargeIconsButton, Command::SmallIconsButton, Command::ListButton, Command::DetailsButton };
constexpr Command ArrangeCommands[6] = { Command::ArrangeByName, Command::ArrangeByDate, Command::ArrangeByType,
    Command::ArrangeByClient, Command::ArrangeByURL, Command::ArrangeByDescription };

}  // namespace

frmTarnwell::frmTarnwell(const Services& services, QWidget* parent)
    : QMainWindow(parent)
    , m_services(services)
    , m_settings(services.settings)
    , m_dialogs(*this, m_settings.options)
    , m_editing(
          std::make_unique<Editing>(m_services.store, m_services.platform.messages, m_services.platform.clipboard))
{
    setObjectName(QStringLiteral("frmTarnwell"));
    setWindowTitle(tr("Brindlex"));
    setWindowIcon(programIcon());

    m_commands = std::make_unique<CommandTable>(*this);
    m_panes = new FolderPanes(*this, m_services.store, m_services.platform.events, m_settings);
    m_dialogs.setRefocus([this] { m_panes->focusPane(m_panes->lastFocus()); });
    connect(m_panes, &FolderPanes::pathShown, this, &frmTarnwell::showTitle);
    connect(m_panes, &FolderPanes::linkOpened, this, [this] {
        // Not through the menu item: a row chosen with the keyboard has not switched the
        // send commands on, and a double-click or Enter on a link still sends it.
        m_commands->run(Command::SendURL);
    });
    connect(m_panes, &FolderPanes::arrangeRequested, this, &frmTarnwell::ArrangeBy);
    buildMenus();
    buildToolbar();
    buildPanes();
    buildStatusBar();
    connectOwnCommands();
    m_columns = std::make_unique<ColumnWidths>(*ListView1(), m_settings, m_dialogs);
    m_placement = std::make_unique<WindowPlacement>(*this, m_settings.geometry, m_dialogs);
    m_tray = new TrayIcon(*this, *m_popups[4], *action(Command::TrayRestore), m_services.trayAvailable);
    // Room for the menu bar, the start of the toolbar and both panes with a few rows.
    setMinimumSize(toPixels(6600), toPixels(4800));

    m_sizeTimer = new QTimer(this);
    m_sizeTimer->setObjectName(QStringLiteral("SizeTimer"));
    m_sizeTimer->setInterval(250);
    connect(m_sizeTimer, &QTimer::timeout, this, &frmTarnwell::sizeTimerTick);
    m_input = new PaneInput(*this, *m_panes, *m_commands,
        { { nullptr, m_popups[1], m_popups[2], m_popups[3], m_popups[4] }, m_fileMenu }, *m_panels[3]);

    // Controllers of the other command groups connect and enable their actions here.
    FolderPanes& panes = *m_panes;
    const Platform& platform = m_services.platform;
    m_files = std::make_unique<FileCommands>(m_services, panes, *m_commands, m_dialogs, m_settings);
    m_browserCommands = std::make_unique<BrowserCommands>(
        panes, *m_commands, m_dialogs, *m_editing, platform, m_services.settings, m_settings, *this);
    m_importExport = std::make_unique<ImportExportCommands>(
        panes, *m_commands, m_dialogs, platform, m_services.fileDialogs, m_services.programDir, m_longWork);
    m_dragDrop = std::make_unique<DragDrop>(panes, *m_editing, platform.events);
    m_findCommands = std::make_unique<FindCommands>(panes, *m_commands, m_dialogs, m_settings, platform);
    connect(this, &frmTarnwell::unloading, m_findCommands.get(), &FindCommands::CloseFind);
    m_editCommands = std::make_unique<EditCommands>(panes, *m_commands, m_dialogs, *m_editing, platform.events);
    connect(m_editCommands.get(), &EditCommands::titleChanged, this, &frmTarnwell::showTitle);
    m_undoCommands = std::make_unique<UndoCommands>(panes, *m_commands, m_longWork, platform.messages);
}

frmTarnwell::~frmTarnwell() = default;

// ---------------------------------------------------------------------------------------
// Commands, menus and bars

QAction* frmTarnwell::action(const QString& name) const
{
    return m_commands->find(name);
}

QAction* frmTarnwell::action(Command id) const
{
    return m_commands->action(id);
}

QAction* frmTarnwell::toolbarButton(int index) const
{
    return (index >= 1 && index <= 23) ? m_buttons[static_cast<size_t>(index)] : nullptr;
}

QLabel* frmTarnwell::statusPanel(int panel) const
{
    return (panel >= 1 && panel <= 3) ? m_panels[panel] : nullptr;
}

QMenu* frmTarnwell::popupMenu(int number) const
{
    return (number >= 1 && number <= 4) ? m_popups[number] : nullptr;
}

void frmTarnwell::buildMenus()
{
    m_fileMenu = m_commands->buildMenuBar(*menuBar()).front();
    for (int number = 1; number <= 4; ++number) {
        m_popups[number] = m_commands->buildPopup(number);
    }
    m_popups[1]->actions().at(1)->setObjectName(QStringLiteral("mnuStSeparator"));
}

void frmTarnwell::buildToolbar()
{
    m_toolbar = new QToolBar(tr("Toolbar"), this);
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setIconSize(QSize(20, 20));
    m_toolbar->toggleViewAction()->setVisible(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    addToolBar(Qt::TopToolBarArea, m_toolbar);

    // 1: the placeholder that holds the folder combo and, over it, the folder box.
    QComboBox* folders = m_panes->cbxFolders();
    folders->setFixedWidth(toPixels(2685));
    QAction* holder = m_toolbar->addWidget(folders);
    holder->setObjectName(QStringLiteral("Toolbar1_1"));
    m_buttons = m_commands->buildToolbar(*m_toolbar);
    m_buttons[1] = holder;
    // The Undo button and the separator after it are never shown.
    m_buttons[9]->setVisible(false);
    m_buttons[10]->setVisible(false);
}

void frmTarnwell::buildPanes()
{
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_split = new QSplitter(Qt::Horizontal, central);
    m_split->setObjectName(QStringLiteral("CVSplitter"));
    m_split->setChildrenCollapsible(false);
    layout->addWidget(m_split);

    const auto side = [this](const char* name, QWidget* header, QWidget* pane) {
        auto* widget = new QWidget(m_split);
        widget->setObjectName(QString::fromLatin1(name));
        auto* column = new QVBoxLayout(widget);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(0);
        column->addWidget(header);
        column->addWidget(pane);
        return widget;
    };
    m_leftSide = side("LeftPane", SSPanel1(), TreeView1());
    m_rightSide = side("RightPane", SSPanel2(), ListView1());
    m_split->addWidget(m_leftSide);
    m_split->addWidget(m_rightSide);
    // Neither pane is squeezed to nothing.
    m_leftSide->setMinimumWidth(toPixels(1200));
    m_rightSide->setMinimumWidth(toPixels(2400));
    m_split->setStretchFactor(0, 0);
    m_split->setStretchFactor(1, 1);
    m_splitter = std::make_unique<CVSplitter>(*m_split);
    connect(m_split, &QSplitter::splitterMoved, this, [this] {
        if (!m_settings.PaneMode && !m_isRestoring) {
            WindowGeometry& geometry = m_settings.geometry;
            geometry.TreeWidth = toTwips(m_split->sizes().value(0));
            geometry.ListWidth = toTwips(m_split->sizes().value(1));
            geometry.ListLeft = toTwips(m_split->sizes().value(0) + m_split->handleWidth());
        }
    });
    setCentralWidget(central);
}

void frmTarnwell::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(true);
    for (int panel = 1; panel <= 3; ++panel) {
        QLabel* label = panel == 1 ? m_panes->objectCount() : new QLabel(bar);
        label->setObjectName(QStringLiteral("Panel%1").arg(panel));
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        label->setContentsMargins(3, 0, 3, 0);
        m_panels[panel] = label;
    }
    m_panels[1]->setMinimumWidth(120);
    m_panels[2]->setFixedWidth(28);
    m_panels[2]->setAlignment(Qt::AlignCenter);
    bar->addWidget(m_panels[1], 1);
    bar->addWidget(m_panels[2], 0);
    bar->addWidget(m_panels[3], 0);
    showClient(0);
}

void frmTarnwell::connectOwnCommands()
{
    CommandTable& commands = *m_commands;
    commands.setOutOfMemoryReport([this](Command id) { reportOutOfMemory(id); });
    commands.connect(Command::Close, [this] { close(); });
    commands.connect(Command::ShowToolbar, [this] { setToolbarShown(action(Command::ShowToolbar)->isChecked()); });
    commands.connect(
        Command::ShowStatusBar, [this] { setStatusBarShown(action(Command::ShowStatusBar)->isChecked()); });
    commands.connect(Command::SinglePane, [this] { setSinglePane(action(Command::SinglePane)->isChecked()); });
    for (int mode = 0; mode < 4; ++mode) {
        const auto choose = [this, mode] {
            // A checked item stays checked; choosing the shown mode changes nothing.
            setViewChecks(ListView1()->viewMode());
            SetViewMode(mode);
        };
        commands.connect(ViewModeCommands[mode], choose);
        commands.connect(PopupViewModeCommands[mode], choose);
        commands.connect(ViewModeButtons[mode], [this, mode] {
            if (!action(ViewModeButtons[mode])->isChecked()) {
                // The click released the button: press it again and do nothing.
                action(ViewModeButtons[mode])->setChecked(true);
                return;
            }
            SetViewMode(mode);
            ListView1()->setFocus();
        });
    }
    for (int column = 0; column < 6; ++column) {
        commands.connect(ArrangeCommands[column], [this, column] { ArrangeBy(column); });
    }
    commands.connect(Command::Refresh, [this] {
        m_panes->FillList();
        m_panes->BuildTree();
    });
    commands.connect(Command::Back, [this] { m_panes->GoBack(); });
    commands.connect(Command::HelpContents, [this] { ShowHelpContents(); });
    commands.connect(Command::About, [this] { ShowAbout(); });
    commands.connect(Command::PageWizard, [this] { ShowPageWizard(); });
    commands.connect(Command::TrayRestore, [this] { m_tray->setCommand(0); });
    commands.connect(Command::TrayClose, [this] { m_tray->setCommand(1); });
}

void frmTarnwell::reportOutOfMemory(Command id)
{
    // The command stopped where memory ran out, and the window goes on. What it changed
    // before that stays (an import or edit made as a step can still be undone) and a file
    // it writes is replaced only once complete; the panes are shown again from the model.
    platform().messages.show("Error",
        "Out of memory...\n" + toUtf8(CommandTable::caption(id)) + " could not be completed.", MessageIcon::Critical);
    try {
        m_panes->RefreshPanes(true);
    } catch (const std::bad_alloc&) {
        // Still short of memory: shown again once the events that wait have run.
        QTimer::singleShot(0, this, [this] {
            try {
                m_panes->RefreshPanes(true);
            } catch (const std::bad_alloc&) {
            }
        });
    }
}

void frmTarnwell::setViewChecks(int mode)
{
    for (int i = 0; i < 4; ++i) {
        action(ViewModeCommands[i])->setChecked(i == mode);
        action(PopupViewModeCommands[i])->setChecked(i == mode);
        action(ViewModeButtons[i])->setChecked(i == mode);
    }
}

void frmTarnwell::SetViewMode(int mode)
{
    if (mode < 0 || mode > 3 || mode == ListView1()->viewMode()) {
        return;
    }
    setViewChecks(mode);
    ListView1()->setViewMode(mode);
}

void frmTarnwell::ArrangeBy(int column)
{
    if (column < 0 || column > 5) {
        return;
    }
    for (int i = 0; i < 6; ++i) {
        action(ArrangeCommands[i])->setChecked(i == column);
    }
    m_settings.ListSort = column;
    ListView1()->sortByColumn(column);
}

bool frmTarnwell::ProcessKeys(int key, Qt::KeyboardModifiers modifiers)
{
    return m_input->ProcessKeys(key, modifiers);
}

void frmTarnwell::SetSendCommands(bool on)
{
    m_input->SetSendCommands(on);
}

const std::string& frmTarnwell::saveMarker() const
{
    return m_files->saveMarker();
}

void frmTarnwell::showTitle(const QString& path)
{
    QString title = m_settings.options.DisplayPath == 1 ? tr("Brindlex - ") + path : tr("Brindlex");
    // Another copy of the program has the database open for writing.
    if (m_files && m_files->readOnly()) {
        title += tr(" (read-only)");
    }
    setWindowTitle(title);
}

// ---------------------------------------------------------------------------------------
// Layout

void frmTarnwell::LayoutWindow()
{
    if (m_isRestoring) {
        return;
    }
    if (!m_settings.ShowStatusbar) {
        statusBar()->hide();
    }
    if (isMinimized() && m_settings.options.TrayFlag == 1) {
        // Hidden into the tray only while there is one to bring it back from. Hidden once
        // the state change is over: showMinimized() shows the window after telling it.
        followTray();
        if (m_tray->icon()) {
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (isMinimized() && m_tray->icon()) {
                        hide();
                    }
                },
                Qt::QueuedConnection);
            return;
        }
    }
    const bool headers = m_settings.options.IncludeDesc == 1;
    SSPanel2()->setVisible(headers);
    SSPanel1()->setVisible(headers && !m_settings.PaneMode);
}

void frmTarnwell::createSplitter()
{
    const int code = m_splitter->Create(this, m_leftSide, m_rightSide, SSPanel1(), SSPanel2(), 3);
    m_splitterActive = code == 0;
    if (code != 0) {
        platform().messages.show("Brindlex", "Can't create splitter\nError #" + std::to_string(code));
    }
}

void frmTarnwell::HidePane()
{
    m_splitter->Release();
    m_splitterActive = false;
    SSPanel1()->hide();
    m_leftSide->hide();
    LayoutWindow();
}

void frmTarnwell::ShowPane()
{
    m_leftSide->show();
    TreeView1()->show();
    if (m_settings.options.IncludeDesc == 1) {
        SSPanel1()->show();
    }
    createSplitter();
    const int tree = toPixels(m_settings.geometry.TreeWidth);
    m_split->setSizes({ tree, qMax(1, m_split->width() - tree) });
    m_panes->UpdateFolderDropDowns();
    m_panes->dropButton()->show();
    LayoutWindow();
}

void frmTarnwell::setToolbarShown(bool shown)
{
    m_settings.ShowToolbar = shown;
    action(Command::ShowToolbar)->setChecked(shown);
    m_toolbar->setVisible(shown);
    cbxFolders()->setVisible(shown);
    LayoutWindow();
}

void frmTarnwell::setStatusBarShown(bool shown)
{
    m_settings.ShowStatusbar = shown;
    action(Command::ShowStatusBar)->setChecked(shown);
    statusBar()->setVisible(shown);
    LayoutWindow();
}

void frmTarnwell::setSinglePane(bool single)
{
    action(Command::SinglePane)->setChecked(single);
    if (single == m_settings.PaneMode) {
        return;
    }
    m_settings.PaneMode = single;
    if (single) {
        HidePane();
    } else {
        ShowPane();
    }
}

void frmTarnwell::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    LayoutWindow();
}

void frmTarnwell::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        LayoutWindow();
    }
}

// ---------------------------------------------------------------------------------------
// Options

void frmTarnwell::setIncludeDesc(int value)
{
    m_settings.options.IncludeDesc = value;
    LayoutWindow();
}

void frmTarnwell::setDisplayPath(int value)
{
    m_settings.options.DisplayPath = value;
    m_panes->showPath(FolderTree::fullPath(TreeView1()->currentItem()));
}

void frmTarnwell::setProgramFont(const std::string& font, int size)
{
    m_settings.options.ProgramFont = font;
    m_settings.options.ProgramFontSize = size;
}

void frmTarnwell::ApplyProgramFont()
{
    m_dialogs.ApplyProgramFont(this);
}

void frmTarnwell::SetTitle(const std::string& title)
{
    setWindowTitle(toQString(title));
}

PaneGeometry frmTarnwell::Panes() const
{
    const auto twips = [this](int pixels) { return static_cast<int>(toTwips(pixels) + 0.5); };
    PaneGeometry panes;
    panes.TreeTop = twips(TreeView1()->mapTo(this, QPoint(0, 0)).y());
    panes.TreeHeight = twips(TreeView1()->height());
    panes.ListTop = twips(ListView1()->mapTo(this, QPoint(0, 0)).y());
    panes.ListHeight = twips(ListView1()->height());
    panes.HeaderTop = twips(SSPanel2()->mapTo(this, QPoint(0, 0)).y());
    panes.HeadersVisible = m_settings.options.IncludeDesc == 1;
    return panes;
}

void frmTarnwell::SetPanes(const PaneGeometry& panes)
{
    // The window's layout places the bars and panes; it only needs to know whether the
    // header bars are shown.
    setIncludeDesc(panes.HeadersVisible ? 1 : 0);
}

void frmTarnwell::SetTrayIcon(bool shown)
{
    setTrayFlag(shown ? 1 : 0);
}

void frmTarnwell::ShowDefaultClient(int image, const std::string& name)
{
    QAction* button = action(Command::ClientButton);
    button->setIcon(toolbarImage(image));
    button->setToolTip(tr(name.c_str()));
    button->setText(tr(name.c_str()));
    m_panels[2]->setPixmap(toolbarImage(image).pixmap(QSize(16, 16), devicePixelRatio()));
    m_panels[2]->setToolTip(tr(name.c_str()));
}

void frmTarnwell::showClient(int BrowserID)
{
    const ClientRow& row = defaultClient(BrowserID);
    ShowDefaultClient(row.ToolbarImage, row.Name);
}

void frmTarnwell::setClientById(int BrowserID)
{
    m_browserCommands->UseDefaultClient(BrowserID);
    showClient(BrowserID);
}

QSystemTrayIcon* frmTarnwell::TN1() const
{
    return m_tray->icon();
}

int frmTarnwell::trayCommand() const
{
    return m_tray->command();
}

bool frmTarnwell::TrayAvailable() const
{
    return m_tray->available();
}

void frmTarnwell::setTrayFlag(int flag)
{
    m_settings.options.TrayFlag = flag;
    m_tray->setShown(flag == 1 && TrayAvailable());
}

void frmTarnwell::followTray()
{
    if (m_tray->follow(m_settings.options.TrayFlag == 1) && isHidden() && m_loaded && !m_unloaded) {
        // The tray went away with the window in it: back on the task bar, minimised.
        showMinimized();
    }
}

void frmTarnwell::sizeTimerTick()
{
    if (windowState() == Qt::WindowNoState && isVisible() && !m_isRestoring) {
        m_placement->follow();
    }
    // A tray can come or go while the program runs (a panel restarted, an extension
    // switched off); it is looked for every couple of seconds while the option is on.
    if (m_settings.options.TrayFlag == 1 && m_tray->lookDue()) {
        followTray();
    }
    if (m_tray->command() == 1 && !inLongWork()) {
        m_tray->setCommand(-1);
        close();
    }
}

// ---------------------------------------------------------------------------------------
// Start-up

void frmTarnwell::sizeUnstoredColumns()
{
    // The list's width once the window is shown: the window's less the tree beside it,
    // the list's frame and a vertical scroll bar.
    int rest
        = width() - 2 * ListView1()->detailsView()->frameWidth() - style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    if (!m_settings.PaneMode) {
        rest -= qMax(1, toPixels(m_settings.geometry.TreeWidth)) + m_split->handleWidth();
    }
    m_columns->sizeUnstored(rest);
}

void frmTarnwell::applyWindowGeometry()
{
    m_isRestoring = true;
    m_placement->restore(m_settings.sizeStored());
    const int state = m_settings.geometry.WindowState;
    setWindowState(state == 2 ? Qt::WindowMaximized : state == 1 ? Qt::WindowMinimized : Qt::WindowNoState);
    m_isRestoring = false;
}

void frmTarnwell::Load(const std::function<void(int)>& progress)
{
    const auto step = [&progress](int value) {
        if (progress) {
            progress(value);
        }
    };
    platform().events.processEvents();
    m_settings.read();
    step(15);

    const WindowGeometry& geometry = m_settings.geometry;
    m_split->setSizes({ qMax(1, toPixels(geometry.TreeWidth)), qMax(1, toPixels(geometry.ListWidth)) });
    step(20);
    createSplitter();
    step(25);
    step(30);
    step(35);
    m_columns->apply();
    step(40);

    store().SetAutoAssign(m_settings.options.AutoAssign);
    if (m_settings.ListSort >= 0 && m_settings.ListSort < 6) {
        for (int i = 0; i < 6; ++i) {
            action(ArrangeCommands[i])->setChecked(i == m_settings.ListSort);
        }
    }
    step(45);
    applyWindowGeometry();
    step(50);

    action(Command::ShowToolbar)->setChecked(m_settings.ShowToolbar);
    action(Command::ShowStatusBar)->setChecked(m_settings.ShowStatusbar);
    SetViewMode(m_settings.ListViewMode);
    step(55);
    LayoutWindow();
    step(60);
    step(65);
    setClientById(m_settings.client.BrowserID);

    step(70);
    ListView1()->model().clear();
    SetSendCommands(false);
    step(75);

    m_dialogs.ApplyProgramFont(this);
    sizeUnstoredColumns();
    if (!m_settings.ShowToolbar) {
        m_toolbar->hide();
        cbxFolders()->hide();
    }
    if (!m_settings.ShowStatusbar) {
        statusBar()->hide();
    }

    const std::optional<std::string> startPath = m_files->DatabaseAtStart();
    step(80);
    if (startPath) {
        m_files->Load(*startPath);
    }
    step(85);
    m_panes->FillList();
    m_panes->BuildTree();
    m_panes->collapseToRoot();
    m_panes->SelectFolderNode();
    m_panes->UpdateFolderDropDowns();
    step(90);
    ListView1()->clearSelection();
    step(95);
    step(99);

    setTrayFlag(m_settings.options.TrayFlag);
    if (m_settings.isFirstLoad()) {
        CenterWindow(this);
        m_settings.markLoaded();
    }
    if (m_settings.PaneMode) {
        HidePane();
        action(Command::SinglePane)->setChecked(true);
    }
    m_loaded = true;
    if (m_settings.StartMin() && m_tray->icon()) {
        // Minimised into the tray: the window is never shown until the tray icon asks.
        setWindowState(windowState() | Qt::WindowMinimized);
    } else if (m_settings.StartMin() && m_settings.options.TrayFlag == 1) {
        // No tray to start in: the window starts minimised on the task bar instead.
        showMinimized();
    } else {
        show();
        ListView1()->setFocus();
    }
    m_sizeTimer->start();
}

// ---------------------------------------------------------------------------------------
// Shutdown

void frmTarnwell::closeEvent(QCloseEvent* event)
{
    if (!m_unloaded && inLongWork()) {
        // Unloading empties the store under the running import or export.
        platform().messages.beep();
        event->ignore();
        return;
    }
    if (m_unloaded || QueryUnload()) {
        event->accept();
    } else {
        event->ignore();
    }
}

bool frmTarnwell::QueryUnload()
{
    if (!m_files->OfferSaveAtExit()) {
        return false;
    }
    store().Clear();
    {
        // Every value written at exit reaches the settings file in one write.
        const SettingsBatch batch(settings());
        writeSettings();
        m_sizeTimer->stop();
        Q_EMIT unloading();
    }
    platform().events.processEvents();
    m_unloaded = true;
    if (m_tray->icon()) {
        m_tray->icon()->hide();
    }
    return true;
}

void frmTarnwell::writeSettings()
{
    // What lives in the widgets goes to the settings first.
    m_settings.ListViewMode = ListView1()->viewMode();
    m_columns->store();
    const Qt::WindowStates state = windowState();
    m_settings.geometry.WindowState = (state & Qt::WindowMinimized) ? 1 : (state & Qt::WindowMaximized) ? 2 : 0;
    m_settings.write(store().DatabasePath());
}

// ---------------------------------------------------------------------------------------
// Help

void frmTarnwell::ShowHelpContents()
{
    HelpWindow::showManual(this, QString());
}

void frmTarnwell::ShowPageWizard()
{
    // The page wizard makes an HTML page of links: the export dialog on "HTML File".
    m_importExport->ExportAs(ExportKind::Html);
}

void frmTarnwell::ShowAbout()
{
    frmAbout about(this);
    m_dialogs.ApplyProgramFont(&about);
    m_dialogs.CenterOverMainWindow(&about);
    about.exec();
}

}  // namespace brindlex
