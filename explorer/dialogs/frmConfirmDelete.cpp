#include "explorer/dialogs/frmConfirmDelete.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt/NormalPointer.h"

namespace brindlex {

frmConfirmDelete::frmConfirmDelete(const QString& question, QWidget* parent)
    : QDialog(parent)
    , m_label(new QLabel(question, this))
{
    setObjectName(QStringLiteral("frmConfirmDelete"));
    setWindowTitle(tr("Confirm Item Delete"));
    m_label->setObjectName(QStringLiteral("Label1"));
    m_label->setWordWrap(true);

    auto* yes = new QPushButton(tr("Yes"), this);
    yes->setObjectName(QStringLiteral("cmdYes"));
    yes->setDefault(true);
    auto* no = new QPushButton(tr("No"), this);
    no->setObjectName(QStringLiteral("cmdNo"));
    connect(yes, &QPushButton::clicked, this, &QDialog::accept);
    connect(no, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(yes);
    buttons->addWidget(no);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addLayout(buttons);
}

bool frmConfirmDelete::ask(const QString& question, QWidget* parent)
{
    frmConfirmDelete dialog(question, parent);
    const NormalPointer pointer;
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace brindlex
