#include <chrono>
#include <filesystem>
#include <optional>

#include "browser/BrowserHost.h"
#include "browser/SocketConversation.h"
#include "browser/WebBrowser.h"
#include "platform/Clipboard.h"
#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/MessageBoxes.h"
#include "platform/ProgramStarter.h"
#include "settings/SettingsStore.h"
#include "store/Clients.h"
#include "store/DatabaseFile.h"
#include "store/DatabaseLock.h"
#include "store/FolderItem.h"
#include "store/LinkStore.h"
#include "store/ProgramDirectory.h"
#include "tools/bdxtool/Commands.h"
#include "tools/bdxtool/ToolDatabase.h"

namespace brindlex::bdxtool {

namespace {

namespace fs = std::filesystem;

constexpr const char* SendUsage = "usage: bdxtool send CLIENT URL";
constexpr const char* GetUsage = "usage: bdxtool get CLIENT --into DB [--folder PATH]";

// The default-client row of a client's display name or service name. The system
// clipboard is not a client here: bdxtool has no desktop clipboard to reach.
std::optional<int> clientRow(const std::string& name)
{
    for (int row = 0; row < DefaultClientCount; ++row) {
        const ClientRow& client = defaultClient(row);
        if (row != ClipboardClientID && (name == client.Name || name == client.Service)) {
            return row;
        }
    }
    return std::nullopt;
}

int unknownClient(const std::string& name)
{
    return usage("unknown client " + name
        + " (one of \"Netscape Navigator\" NETSCAPE, \"MS Internet Explorer\" Iexplore, \"Spyglass Mosaic\" EMosaic,"
          " \"Spry Mosaic\" SMosaic, \"NCSA Mosaic\" Mosaic.MosaicCCI)");
}

// Every message box the browser link shows, each becoming one line of bdxtool's output.
class ToolMessages : public MessageBoxes
{
public:
    Answer show(const std::string&, const std::string& text, MessageIcon, MessageButtons) override
    {
        std::string line = text;
        for (char& c : line) {
            if (c == '\n' || c == '\r') {
                c = ' ';
            }
        }
        shown.push_back(line);
        return Answer::Ok;
    }
    void beep() override { }
    std::vector<std::string> shown;
};

// Nothing to put on or take from: the clipboard client is refused before a transfer.
class NoClipboard : public Clipboard
{
public:
    std::string text() const override { return {}; }
    void setText(const std::string&) override { }
    void clear() override { }
};

// A closed browser is reported, never started: bdxtool runs with "Open Browser if not
// already" off, so no program is started from here.
class NoPrograms : public ProgramStarter
{
public:
    bool start(const std::string&, const std::vector<std::string>&) override { return false; }
};

// The window's side of a transfer: the entry to send, and the entries a get adds.
class ToolHost : public BrowserHost
{
public:
    const FolderItem* SelectedItem() override { return selected ? &*selected : nullptr; }
    void AddEntryToList(const std::string& iid) override { added.push_back(iid); }
    void LoadBrowser(const std::string&, const std::function<void()>& openBrowser) override { openBrowser(); }

    std::optional<FolderItem> selected;
    std::vector<std::string> added;
};

// One transfer with `row` as the default client, "Specific" method, as the window
// does it. Returns the messages shown.
std::vector<std::string> transfer(LinkStore& store, int row, int direction, ToolHost& host)
{
    ToolMessages messages;
    NoClipboard clipboard;
    SystemClock clock;
    NoPrograms programs;
    NoEvents events;
    const Platform platform { clipboard, messages, clock, programs, events };
    SocketConversation conversation;
    MemorySettings settings;
    WebBrowser browser(store, platform, conversation, settings, host);
    browser.ChooseDefaultClient(row, false, 0);
    browser.DoAction(direction);
    return messages.shown;
}

int reportMessages(const std::vector<std::string>& shown)
{
    for (const std::string& line : shown) {
        badInput(line);
    }
    return shown.empty() ? 0 : 1;
}

}  // namespace

int runSend(const std::vector<std::string>& args)
{
    if (args.size() != 2) {
        return usage(SendUsage);
    }
    const std::optional<int> row = clientRow(args[0]);
    if (!row) {
        return unknownClient(args[0]);
    }
    SystemClock clock;
    LinkStore store(clock);
    store.NewDatabase(programDirectory());
    ToolHost host;
    FolderItem item;
    item.URL = args[1];
    item.Client = "None";  // the chosen client, not a client of the entry's own
    host.selected = item;
    return reportMessages(transfer(store, *row, WebBrowser::Send, host));
}

int runGet(const std::vector<std::string>& arguments)
{
    std::vector<std::string> args = arguments;
    std::vector<std::optional<std::string>> options;
    if (!takeOptions(args, { "into", "folder" }, options) || args.size() != 1 || !options[0]) {
        return usage(GetUsage);
    }
    const std::optional<int> row = clientRow(args[0]);
    if (!row) {
        return unknownClient(args[0]);
    }
    SystemClock clock;
    LinkStore store(clock);
    const std::string& db = *options[0];
    // Held from the load to the save, so that no other process saves in between.
    DatabaseLock lock;
    if (const Status locked = lock.acquire(db, std::chrono::seconds(2)); !locked.ok()) {
        return badInput(locked.error().message);
    }
    if (fs::exists(db)) {
        const Result<DatabaseLayout> layout = loadDatabase(store, db);
        if (!layout.ok()) {
            return badInput(layout.error().message);
        }
    } else {
        store.NewDatabase(programDirectory());
        store.SetDatabasePath(db);
        const std::string& title = store.DatabaseTitle();
        store.Root().Caption = title.substr(0, title.find('.'));
    }
    if (options[1]) {
        Folder* into = folderAtPath(store, *options[1]);
        if (into == nullptr) {
            return badInput("no folder " + *options[1]);
        }
        store.SetCurrentFolder(*into);
    } else {
        store.SetCurrentFolder(store.Root());
    }
    ToolHost host;
    const std::vector<std::string> shown = transfer(store, *row, WebBrowser::Get, host);
    if (!shown.empty() || host.added.empty()) {
        // Nothing is saved: the database file stays as it was.
        return reportMessages(shown.empty() ? std::vector<std::string> { "no entry was captured" } : shown);
    }
    const Status saved = SaveDatabase(store);
    if (!saved.ok()) {
        return badInput(db + ": " + saved.error().message);
    }
    return 0;
}

}  // namespace brindlex::bdxtool
