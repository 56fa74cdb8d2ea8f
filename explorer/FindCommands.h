#pragma once
#include <QObject>
#include <QPointer>

#include "explorer/dialogs/frmFind.h"

namespace brindlex {

class CommandTable;
class DialogHost;
class FolderPanes;
class ProgramSettings;
struct Platform;

// Connects the Find and Go To commands of the main window: Tools > Find and the tree
// popup's Find show the find dialog beside the window; Tools > Go To shows the go-to
// dialog modally.
class FindCommands : public QObject
{
    Q_OBJECT

public:
    // Everything must outlive the commands.
    FindCommands(FolderPanes& panes, CommandTable& commands, const DialogHost& dialogs, ProgramSettings& settings,
        const Platform& platform);

    void ShowFind();
    void ShowGoTo();
    // Closes the find dialog, if open (the main window unloads).
    void CloseFind();
    // The open find dialog, or null.
    frmFind* findDialog() const { return m_find; }

private:
    FolderPanes& m_panes;
    const DialogHost& m_dialogs;
    ProgramSettings& m_settings;
    const Platform& m_platform;
    QPointer<frmFind> m_find;
};

}  // namespace brindlex
