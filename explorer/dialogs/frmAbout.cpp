#include "explorer/dialogs/frmAbout.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "explorer/Icons.h"

namespace brindlex {

frmAbout::frmAbout(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(tr("About Brindlex"));
    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("picIcon"));
    picture->setPixmap(programIcon().pixmap(QSize(48, 48), devicePixelRatio()));
    auto* title = new QLabel(tr("Brindlex"), this);
    title->setObjectName(QStringLiteral("lblTitle"));
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    title->setFont(big);
    auto* description = new QLabel(tr("Web Resource Organizer"), this);
    description->setObjectName(QStringLiteral("lblDescription"));
    auto* version = new QLabel(tr("Version %1").arg(QStringLiteral(BRINDLEX_VERSION)), this);
    version->setObjectName(QStringLiteral("lblVersion"));

    auto* texts = new QVBoxLayout;
    texts->addWidget(title);
    texts->addWidget(description);
    texts->addWidget(version);
    texts->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(texts, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
}

}  // namespace brindlex
