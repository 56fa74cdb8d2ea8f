#include "explorer/FindCommands.h"

#include "explorer/CommandTable.h"
#include "explorer/FolderPanes.h"
#include "explorer/dialogs/frmFind.h"
#include "explorer/dialogs/frmGoToFolder.h"
#include "platform/Platform.h"

namespace brindlex {

FindCommands::FindCommands(FolderPanes& panes, CommandTable& commands, const DialogHost& dialogs,
    ProgramSettings& settings, const Platform& platform)
    : QObject(&panes)
    , m_panes(panes)
    , m_dialogs(dialogs)
    , m_settings(settings)
    , m_platform(platform)
{
    setObjectName(QStringLiteral("FindCommands"));
    commands.connect(Command::Find, [this] { ShowFind(); });
    commands.connect(Command::GoTo, [this] { ShowGoTo(); });
}

void FindCommands::ShowFind()
{
    if (m_find == nullptr) {
        m_find = new frmFind(m_panes, m_dialogs, m_platform.events);
    }
    m_find->show();
    m_find->raise();
    m_find->activateWindow();
}

void FindCommands::ShowGoTo()
{
    frmGoToFolder dialog(m_panes, m_dialogs, m_settings, m_platform.messages);
    dialog.exec();
}

void FindCommands::CloseFind()
{
    if (m_find != nullptr) {
        m_find->close();
    }
}

}  // namespace brindlex
