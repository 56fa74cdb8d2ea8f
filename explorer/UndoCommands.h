#pragma once
#include <QObject>

namespace brindlex {

class CommandTable;
class FolderPanes;
class LongWork;
class MessageBoxes;
class ModelChange;

// The Edit menu's Undo (Ctrl+Z) and Redo (Ctrl+Shift+Z, Ctrl+Y) over the store's undo
// history. Their captions name the step they would take back or make again ("&Undo
// Delete 5 items") and they are enabled only while there is one. After a step the panes
// show the folder that was current then, the tree is rebuilt when folders changed and
// shows the folders open and the scroll position it had on that side of the step, and
// the entries that came back (or were made again) are selected.
//
// Neither runs while long work lets events run (an import between two of its entries)
// or while a name is being edited in place: both would change the model under a command
// that has not finished.
class UndoCommands : public QObject
{
    Q_OBJECT

public:
    // Everything must outlive the commands.
    UndoCommands(FolderPanes& panes, CommandTable& commands, const LongWork& work, MessageBoxes& messages);
    ~UndoCommands() override;

    void Undo();
    void Redo();

private:
    void step(bool forward);
    void showStep(const ModelChange& change, bool forward);
    // The captions and enabled state of both items, from the history.
    void showState();
    bool editingInPlace() const;

    FolderPanes& m_panes;
    CommandTable& m_commands;
    const LongWork& m_work;
    MessageBoxes& m_messages;
};

}  // namespace brindlex
