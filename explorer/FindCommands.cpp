#include "explorer/FindCommands.h"

#include "explorer/CommandTable.h"
#include "explorer/dialogs/frmFind.h"
#include "explorer/dialogs/frmGoToFolder.h"
#include "explorer/frmTarnwell.h"

namespace brindlex {

FindCommands::FindCommands(frmTarnwell& main)
    : QObject(&main)
    , m_main(main)
{
    setObjectName(QStringLiteral("FindCommands"));
    main.commands().connect(Command::Find, [this] { ShowFind(); });
    main.commands().connect(Command::GoTo, [this] { ShowGoTo(); });
    // The find dialog goes when the main window is unloaded.
    connect(&main, &frmTarnwell::unloading, this, [this] {
        if (m_find != nullptr) {
            m_find->close();
        }
    });
}

void FindCommands::ShowFind()
{
    if (m_find == nullptr) {
        m_find = new frmFind(m_main);
    }
    m_find->show();
    m_find->raise();
    m_find->activateWindow();
}

void FindCommands::ShowGoTo()
{
    frmGoToFolder dialog(m_main);
    dialog.exec();
}

}  // namespace brindlex
