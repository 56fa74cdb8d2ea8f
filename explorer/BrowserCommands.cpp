#include "explorer/BrowserCommands.h"

#include <QPixmap>

#include "browser/WebBrowser.h"
#include "browser/ui/frmBLoad.h"
#include "explorer/CommandTable.h"
#include "explorer/FolderPanes.h"
#include "explorer/Icons.h"
#include "platform/EventPump.h"
#include "platform/qt/DialogHost.h"
#include "settings/OptionsHost.h"
#include "settings/ProgramSettings.h"
#include "settings/ui/frmOptions.h"
#include "store/Clients.h"
#include "store/Editing.h"
#include "store/LinkStore.h"
#include "store/UndoHistory.h"

namespace brindlex {

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

BrowserCommands::BrowserCommands(FolderPanes& panes, CommandTable& commands, const DialogHost& dialogs,
    Editing& editing, const Platform& platform, SettingsStore& store, ProgramSettings& settings, OptionsHost& window)
    : m_panes(panes)
    , m_dialogs(dialogs)
    , m_editing(editing)
    , m_platform(platform)
    , m_store(store)
    , m_settings(settings)
    , m_window(window)
    , m_browser(std::make_unique<WebBrowser>(panes.store(), platform, m_conversation, store, *this, settings.client))
{
    commands.connect(Command::SendURL, [this] { Send(); });
    commands.connect(Command::GetURL, [this] { Get(); });
    commands.connect(Command::Options, [this] { OpenOptions(); });
    m_editing.SetClipboardGetURL([this] { return ClipboardGetURL(); });
}

BrowserCommands::~BrowserCommands()
{
    m_editing.SetClipboardGetURL({});
}

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
    m_browser->DoAction(direction);
}

std::string BrowserCommands::ClipboardGetURL()
{
    std::vector<std::string> added;
    m_captured = &added;
    m_browser->cBrowser.GetURL();
    m_captured = nullptr;
    return added.empty() ? std::string() : added.front();
}

void BrowserCommands::UseDefaultClient(int BrowserID)
{
    m_browser->UseDefaultClient(BrowserID);
}

void BrowserCommands::OpenOptions()
{
    if (m_running) {
        return;
    }
    const Running running(m_running);
    // The dialog changes the program's options and client in place; a font chosen with
    // "Change Font" stays even after "Cancel".
    frmOptions dialog(m_window, *m_browser, m_store, m_platform.messages, m_dialogs.parent());
    m_dialogs.CenterOverMainWindow(&dialog);
    dialog.exec();
}

// ---------------------------------------------------------------------------------------
// BrowserHost

const FolderItem* BrowserCommands::SelectedItem()
{
    return m_panes.selectedItem();
}

void BrowserCommands::AddEntryToList(const std::string& iid)
{
    if (m_captured) {
        m_captured->push_back(iid);
        return;
    }
    LinkStore& store = m_panes.store();
    // The browser has just appended the link to CurrentFolder; it is one step of the undo
    // history. (A link taken for Paste is part of the paste's step instead.)
    RecordAppendedEntry(store, "Get URL", store.CurrentFolder(), iid);
    if (const FolderItem* item = store.FindItem(store.CurrentFolder(), iid)) {
        m_panes.AddEntryToPanes(*item);
    }
}

void BrowserCommands::LoadBrowser(const std::string& browser, const std::function<void()>& openBrowser)
{
    const int picture = LoadingPicture(browser);
    const QPixmap pixmap = picture < 0 ? QPixmap() : paneImage(picture).pixmap(32, 32);
    frmBLoad loading(browser, pixmap, m_settings.options, m_dialogs.parent());
    m_dialogs.CenterOverMainWindow(&loading);
    loading.show();
    m_platform.events.processEvents();
    openBrowser();
    m_dialogs.closeTransient(&loading);
}

}  // namespace brindlex
