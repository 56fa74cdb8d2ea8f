#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QStringList>

#include "explorer/Commands.h"
#include "explorer/ExplorerWorld.h"
#include "explorer/frmTarnwell.h"

class QAction;
class QTimer;
class QWidget;

namespace brindlex {
class EventPump;
}

namespace brindlex::test {

// Runs `act` on the modal dialog as soon as one is shown. The dialog must be closed by
// `act` for the command that opened it to return. The watch ends when it has acted; a
// test that expects no dialog deletes the returned timer.
QTimer* whenModal(std::function<void(QWidget*)> act);

// What every window test shares: a fresh world (m_world) and the main window on it
// (m_window), with the steps tests take on them. A Qt test class derives from it beside
// QObject, makes the world in init() and calls close() in cleanup():
//
//     class PanesTest : public QObject, protected test::WindowFixture
//     void init() { open(); buildTree("Alpha/\n  Child/\nzeta\n"); }
//     void cleanup() { close(); }
class WindowFixture
{
protected:
    // A new world: fakes, a settings file and an application directory of its own.
    void makeWorld();
    // Stores a program font in the world's settings (made first when there is none), for
    // the next open().
    void storeProgramFont(const char* name, int size);
    // Makes the main window on the world (made first when there is none), loads it and
    // waits until it is shown (unless it started hidden in the tray). With `events`, the
    // window lets events run through it instead of the fake.
    void open(EventPump* events = nullptr);
    void open(const Services& services);
    // Closes the window answering "No" to the save question, then drops window and world.
    void close();
    // Closes the window the same way and drops it; the world stays (a restart).
    void closeWindow();

    QAction* action(Command id) const;
    // Triggers a command that must be enabled.
    void trigger(Command id);
    // Selects the list rows of these IIDs (the first becomes the current row).
    void selectRows(const std::vector<std::string>& ids);
    // Makes `key` the selected tree node without changing CurrentFolder, as a right click does.
    void selectNode(const std::string& key);
    // A column of the contents list, top to bottom as shown.
    QStringList rowTexts(int column = 0) const;
    // Entries from a short text into CurrentFolder (see test::buildTree), then both panes
    // refreshed. Returns the ids by name.
    std::map<std::string, std::string> buildTree(const std::string& text);
    // The tree the Edit and Undo tests work on, built the same way:
    //   root: Docs (Sub (Deep), link "in docs"), News, links "A", "B", "C" (an ftp link)
    std::map<std::string, std::string> buildEditTree();

    std::unique_ptr<ExplorerWorld> m_world;
    std::unique_ptr<frmTarnwell> m_window;
};

}  // namespace brindlex::test
