#include "explorer/dialogs/frmGoToFolder.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "explorer/FolderPanes.h"
#include "platform/MessageBoxes.h"
#include "platform/qt/DialogHost.h"
#include "platform/qt/QtString.h"
#include "settings/ProgramSettings.h"
#include "store/GoToHistory.h"
#include "store/LinkStore.h"

namespace brindlex {

frmGoToFolder::frmGoToFolder(
    FolderPanes& panes, const DialogHost& host, ProgramSettings& settings, MessageBoxes& messages)
    : QDialog(host.parent())
    , m_panes(panes)
    , m_settings(settings)
    , m_messages(messages)
{
    setObjectName(QStringLiteral("frmGoToFolder"));
    setWindowTitle(QStringLiteral("Go To Folder"));
    setModal(true);

    m_hint = new QLabel(QStringLiteral("Type the name and path of the folder you want to open."), this);
    m_combo = new QComboBox(this);
    m_combo->setObjectName(QStringLiteral("Combo1"));
    m_combo->setEditable(true);
    m_combo->setInsertPolicy(QComboBox::NoInsert);  // the history is kept by its own rule
    m_combo->setMinimumWidth(host.toPixels(4200));
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("Command1"));
    m_ok->setDefault(true);
    m_ok->setEnabled(false);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("Command2"));
    m_cancel->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_hint);
    layout->addWidget(m_combo);
    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);

    for (const std::string& path : m_settings.pathHistory()) {
        m_combo->addItem(toQString(path));
    }
    m_combo->setCurrentIndex(-1);
    m_combo->setEditText(QString());

    connect(
        m_combo, &QComboBox::editTextChanged, this, [this](const QString& text) { m_ok->setEnabled(!text.isEmpty()); });
    connect(m_combo, &QComboBox::activated, this, [this] { m_ok->setEnabled(true); });
    connect(m_ok, &QPushButton::clicked, this, &frmGoToFolder::GoTo);
    connect(m_cancel, &QPushButton::clicked, this, &frmGoToFolder::reject);

    host.ApplyProgramFont(this);
    host.CenterOverMainWindow(this);
}

void frmGoToFolder::GoTo()
{
    const QString text = m_combo->currentText();
    const std::string path = toUtf8(text);
    LinkStore& store = m_panes.store();
    Folder* target = goToFolderTarget(store, path);
    if (target == nullptr) {
        m_messages.show("Go To Folder", cannotFindText(path), MessageIcon::Critical);
        return;
    }
    store.SetCurrentFolder(*target);

    std::vector<std::string> rows;
    for (int n = 0; n < m_combo->count(); ++n) {
        rows.push_back(toUtf8(m_combo->itemText(n)));
    }
    GoToHistory::remember(rows, path);
    m_settings.savePathHistory(rows);

    m_panes.FillList();
    m_panes.SelectFolderNode();
    accept();
}

}  // namespace brindlex
