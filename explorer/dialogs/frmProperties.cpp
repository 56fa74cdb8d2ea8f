#include "explorer/dialogs/frmProperties.h"

#include <QComboBox>
#include <QDate>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "explorer/Icons.h"
#include "explorer/dialogs/TextBoxes.h"
#include "store/Images.h"

namespace brindlex {

namespace {

QString shortDate(const DateTime& date)
{
    if (date.isNull()) {
        return {};
    }
    return QLocale::system().toString(QDate(date.year, date.month, date.day), QLocale::ShortFormat);
}

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

frmProperties::frmProperties(const ItemProperties& properties, QWidget* parent)
    : QDialog(parent)
    , m_properties(properties)
    , m_tabs(new QTabWidget(this))
    , m_caption(new QLineEdit(fromUtf8(properties.Caption)))
    , m_url(new QLineEdit(fromUtf8(properties.URL)))
    , m_description(new QLineEdit(fromUtf8(properties.Description)))
    , m_date(new QLineEdit(shortDate(properties.MDate)))
    , m_client(new QComboBox)
    , m_picture(new QLabel)
{
    setObjectName(QStringLiteral("frmProperties"));
    setWindowTitle(tr("Brindlex Item Properties"));
    m_tabs->setObjectName(QStringLiteral("SSTab1"));
    m_caption->setObjectName(QStringLiteral("txtCaption"));
    m_url->setObjectName(QStringLiteral("txtURL"));
    m_description->setObjectName(QStringLiteral("txtDesc"));
    m_date->setObjectName(QStringLiteral("txtDate"));
    m_client->setObjectName(QStringLiteral("Combo2"));
    m_picture->setObjectName(QStringLiteral("Picture1"));

    // The date is shown on the dialog face colour, the editable boxes on the window colour.
    m_date->setReadOnly(true);
    QPalette datePalette = m_date->palette();
    datePalette.setColor(QPalette::Base, datePalette.color(QPalette::Button));
    m_date->setPalette(datePalette);

    m_client->addItems({ tr("None"), tr("Netscape Navigator"), tr("MS Internet Explorer"), tr("NCSA Mosaic"),
        tr("Spyglass Mosaic"), tr("Spry Mosaic") });
    m_client->setCurrentIndex(properties.clientIndex);
    m_client->setEnabled(properties.clientEnabled);
    // Picture 2 is the dialog's own picture of a folder node; the others are the images
    // the panes show.
    m_picture->setPixmap(
        paneImage(properties.picture == 2 ? imageNumber(Image::Folder) : properties.picture).pixmap(32, 32));

    auto* general = new QWidget;
    auto* form = new QFormLayout(general);
    form->addRow(m_picture, m_caption);
    form->addRow(tr("URL:"), m_url);
    form->addRow(tr("Description:"), m_description);
    form->addRow(tr("Date Added:"), m_date);
    form->addRow(tr("Client:"), m_client);
    m_tabs->addTab(general, tr("General"));

    auto* ok = new QPushButton(tr("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addLayout(buttons);
    fitTypicalURL(m_url);
    m_caption->setCursorPosition(0);
    m_description->setCursorPosition(0);
}

void frmProperties::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        fitTypicalURL(m_url);
    }
}

ItemProperties frmProperties::edited() const
{
    ItemProperties p = m_properties;
    p.Caption = m_caption->text().toStdString();
    p.URL = m_url->text().toStdString();
    p.Description = m_description->text().toStdString();
    p.clientIndex = m_client->currentIndex();
    return p;
}

}  // namespace brindlex
