#pragma once
#include <QObject>
#include <QPointer>

#include "explorer/dialogs/frmFind.h"

namespace brindlex {

class frmTarnwell;

// Connects the Find and Go To commands of the main window: Tools > Find and the tree
// popup's Find show the find dialog beside the window; Tools > Go To shows the go-to
// dialog modally.
class FindCommands : public QObject
{
    Q_OBJECT

public:
    explicit FindCommands(frmTarnwell& main);

    void ShowFind();
    void ShowGoTo();
    // The open find dialog, or null.
    frmFind* findDialog() const { return m_find; }

private:
    frmTarnwell& m_main;
    QPointer<frmFind> m_find;
};

}  // namespace brindlex
