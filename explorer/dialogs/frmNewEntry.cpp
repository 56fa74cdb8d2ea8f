#include "explorer/dialogs/frmNewEntry.h"

#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "explorer/dialogs/TextBoxes.h"
#include "store/Editing.h"

namespace brindlex {

frmNewEntry::frmNewEntry(Editing& editing, QWidget* parent)
    : QDialog(parent)
    , m_editing(editing)
    , m_name(new QLineEdit(this))
    , m_url(new QLineEdit(this))
    , m_description(new QLineEdit(this))
    , m_client(new QComboBox(this))
{
    setObjectName(QStringLiteral("frmNewEntry"));
    setWindowTitle(tr("New Entry"));
    m_name->setObjectName(QStringLiteral("txtName"));
    m_url->setObjectName(QStringLiteral("txtURL"));
    m_description->setObjectName(QStringLiteral("txtDesc"));
    m_client->setObjectName(QStringLiteral("Combo1"));
    m_client->addItems({ tr("None"), tr("Netscape Navigator"), tr("MS Internet Explorer"), tr("NCSA Mosaic"),
        tr("Spyglass Mosaic"), tr("Spry Mosaic") });
    m_client->setCurrentIndex(0);

    auto* ok = new QPushButton(tr("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(ok, &QPushButton::clicked, this, &frmNewEntry::okClicked);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(tr("Name"), m_name);
    form->addRow(tr("URL"), m_url);
    form->addRow(tr("Description"), m_description);
    form->addRow(tr("Assigned Client"), m_client);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    fitTypicalURL(m_url);
}

void frmNewEntry::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        fitTypicalURL(m_url);
    }
}

void frmNewEntry::okClicked()
{
    const std::optional<std::string> id = m_editing.NewEntry(m_name->text().toStdString(), m_url->text().toStdString(),
        m_description->text().toStdString(), m_client->currentIndex());
    if (!id) {
        return;
    }
    m_newId = *id;
    accept();
}

}  // namespace brindlex
