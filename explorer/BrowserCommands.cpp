#include "explorer/BrowserCommands.h"

#include <QAction>
#include <QLabel>
#include <QPixmap>
#include <QTreeView>

#include "browser/WebBrowser.h"
#include "browser/ui/frmBLoad.h"
#include "explorer/CommandTable.h"
#include "explorer/ContentsList.h"
#include "explorer/ContentsModel.h"
#include "explorer/FolderTree.h"
#include "explorer/Icons.h"
#include "explorer/frmTarnwell.h"
#include "platform/EventPump.h"
#include "platform/qt/QtString.h"
#include "settings/ui/frmOptions.h"
#include "store/Clients.h"
#include "store/Editing.h"
#include "store/LinkStore.h"

namespace brindlex {

BrowserCommands::BrowserCommands(frmTarnwell& window)
    : m_window(window)
    , m_browser(
          std::make_unique<WebBrowser>(window.store(), window.platform(), m_conversation, window.settings(), *this))
{
    window.commands().connect(Command::SendURL, [this] { Send(); });
    window.commands().connect(Command::GetURL, [this] { Get(); });
    window.commands().connect(Command::Options, [this] { OpenOptions(); });
    window.editing().SetClipboardGetURL([this] { return ClipboardGetURL(); });
}

BrowserCommands::~BrowserCommands()
{
    m_window.editing().SetClipboardGetURL({});
}

namespace {

// Marks a browser command as running for its lifetime.
class Running
{
public:
    explicit Running(bool& flag)
        : m_flag(flag)
    {
        m_flag = true;
    }
    ~Running() { m_flag = false; }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;

private:
    bool& m_flag;
};

}  // namespace

void BrowserCommands::Send()
{
    transfer(WebBrowser::Send);
}

void BrowserCommands::Get()
{
    transfer(WebBrowser::Get);
}

void BrowserCommands::transfer(int direction)
{
    // A transfer lets window events run (after the probe, before activating, while the
    // loading window shows); a second command started from one of them would share and
    // then reset the client state of the first, which would go on to the wrong browser.
    if (m_running) {
        return;
    }
    const Running running(m_running);
    pullClientState();
    m_browser->DoAction(direction);
    pushClientState();
}

std::string BrowserCommands::ClipboardGetURL()
{
    pullClientState();
    std::vector<std::string> added;
    m_captured = &added;
    m_browser->cBrowser.GetURL();
    m_captured = nullptr;
    return added.empty() ? std::string() : added.front();
}

void BrowserCommands::OpenOptions()
{
    if (m_running) {
        return;
    }
    const Running running(m_running);
    pullClientState();
    pullOptions();
    frmOptions dialog(*this, *m_browser, m_window.settings(), m_window.platform().messages, &m_window);
    m_window.CenterOverMainWindow(&dialog);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    // A font chosen with "Change Font" stays in memory even after "Cancel".
    m_window.setProgramFont(m_options.ProgramFont, m_options.ProgramFontSize);
    if (accepted) {
        m_window.setAutoAssign(m_options.AutoAssign);
        m_window.setAutoSave(m_options.AutoSave);
        if (m_window.IncludeDesc() != m_options.IncludeDesc) {
            m_window.setIncludeDesc(m_options.IncludeDesc);
        }
        // The title was set by "OK" when the path is not shown; a path to show appears
        // with the next change of folder.
        const QString title = m_window.windowTitle();
        m_window.setDisplayPath(m_options.DisplayPath);
        m_window.setWindowTitle(title);
        if (m_window.TrayFlag() != m_options.TrayFlag) {
            m_window.setTrayFlag(m_options.TrayFlag);
        }
    }
    pushClientState();
}

// ---------------------------------------------------------------------------------------
// The client state shared with the window

void BrowserCommands::pullClientState()
{
    const ClientSettings& client = m_window.client();
    WebBrowser& browser = *m_browser;
    browser.Browser = client.Browser;
    browser.BrowserID = client.BrowserID;
    browser.Method = client.Method;
    browser.OpenIfClosed = client.OpenIfClosed;
    browser.InterfaceType = client.InterfaceType;
    browser.SetInterfaceName(client.InterfaceName);
    browser.tInterfaceName = client.InterfaceName;
}

void BrowserCommands::pushClientState()
{
    ClientSettings& client = m_window.client();
    const WebBrowser& browser = *m_browser;
    client.Browser = browser.Browser;
    client.BrowserID = browser.BrowserID;
    client.Method = browser.Method;
    client.OpenIfClosed = browser.OpenIfClosed;
    client.InterfaceType = browser.InterfaceType;
    client.InterfaceName = browser.InterfaceName();
    m_window.store().SetDefaultClient(client.InterfaceName);
}

void BrowserCommands::pullOptions()
{
    m_options.AutoAssign = m_window.AutoAssign();
    m_options.AutoSave = m_window.AutoSave();
    m_options.IncludeDesc = m_window.IncludeDesc();
    m_options.DisplayPath = m_window.DisplayPath();
    m_options.TrayFlag = m_window.TrayFlag();
    m_options.ProgramFont = m_window.ProgramFont();
    m_options.ProgramFontSize = m_window.ProgramFontSize();
}

// ---------------------------------------------------------------------------------------
// BrowserHost

const FolderItem* BrowserCommands::SelectedItem()
{
    ContentsList* list = m_window.ListView1();
    int row = list->currentRow();
    if (row < 0 || !list->isRowSelected(row)) {
        const std::vector<int> rows = list->selectedRows();
        if (rows.empty()) {
            return nullptr;
        }
        row = rows.front();
    }
    const std::string iid = toUtf8(list->model().text(row, ContentsModel::IdColumn));
    LinkStore& store = m_window.store();
    return store.FindItem(store.CurrentFolder(), iid);
}

void BrowserCommands::AddEntryToList(const std::string& iid)
{
    if (m_captured) {
        m_captured->push_back(iid);
        return;
    }
    LinkStore& store = m_window.store();
    if (const FolderItem* item = store.FindItem(store.CurrentFolder(), iid)) {
        m_window.AddEntryToPanes(*item);
    }
}

void BrowserCommands::LoadBrowser(const std::string& browser, const std::function<void()>& openBrowser)
{
    pullOptions();
    const int picture = LoadingPicture(browser);
    const QPixmap pixmap = picture < 0 ? QPixmap() : paneImage(picture).pixmap(32, 32);
    frmBLoad loading(browser, pixmap, m_options, &m_window);
    m_window.CenterOverMainWindow(&loading);
    loading.show();
    m_window.platform().events.processEvents();
    openBrowser();
    m_window.closeTransient(&loading);
}

// ---------------------------------------------------------------------------------------
// OptionsHost

void BrowserCommands::ApplyProgramFont()
{
    m_window.setProgramFont(m_options.ProgramFont, m_options.ProgramFontSize);
    m_window.ApplyProgramFont(&m_window);
}

void BrowserCommands::SetTitle(const std::string& title)
{
    m_window.setWindowTitle(toQString(title));
}

bool BrowserCommands::ToolbarShown() const
{
    return m_window.action(Command::ShowToolbar)->isChecked();
}

PaneGeometry BrowserCommands::Panes() const
{
    const auto twips = [this](int pixels) { return static_cast<int>(m_window.toTwips(pixels) + 0.5); };
    PaneGeometry panes;
    const QWidget* tree = m_window.TreeView1();
    const QWidget* list = m_window.ListView1();
    panes.TreeTop = twips(tree->mapTo(&m_window, QPoint(0, 0)).y());
    panes.TreeHeight = twips(tree->height());
    panes.ListTop = twips(list->mapTo(&m_window, QPoint(0, 0)).y());
    panes.ListHeight = twips(list->height());
    panes.HeaderTop = twips(m_window.SSPanel2()->mapTo(&m_window, QPoint(0, 0)).y());
    panes.HeadersVisible = m_window.IncludeDesc() == 1;
    return panes;
}

void BrowserCommands::SetPanes(const PaneGeometry& panes)
{
    // The window's layout places the bars and panes; it only needs to know whether the
    // header bars are shown.
    m_window.setIncludeDesc(panes.HeadersVisible ? 1 : 0);
}

void BrowserCommands::SetTrayIcon(bool shown)
{
    m_window.setTrayFlag(shown ? 1 : 0);
}

void BrowserCommands::ShowDefaultClient(int toolbarImage, const std::string& tooltip)
{
    // The window's table gives the same image and tool tip for the chosen row.
    (void)toolbarImage;
    (void)tooltip;
    m_window.setClientById(m_browser->BrowserID);
    pushClientState();
}

}  // namespace brindlex
