#include "browser/ui/frmSetPaths.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "browser/BrowserPrograms.h"
#include "platform/MessageBoxes.h"
#include "settings/OptionsHost.h"
#include "settings/SettingsStore.h"
#include "settings/ui/DialogFont.h"

namespace brindlex {

namespace {

constexpr const char* Labels[4]
    = { "Netscape Navigator", "Microsoft Internet Explorer", "Spyglass Mosaic", "Spry Mosaic" };
constexpr const char* Keys[4] = { "NetscapePath", "IExplorerPath", "EMosaicPath", "SpryMosaicPath" };

}  // namespace

frmSetPaths::frmSetPaths(
    SettingsStore& settings, MessageBoxes& messages, const ProgramOptions& options, QWidget* parent)
    : QDialog(parent)
    , m_settings(settings)
    , m_messages(messages)
    , m_options(options)
{
    setObjectName("frmSetPaths");
    setWindowTitle("Set Browser Paths");
    auto* grid = new QGridLayout;
    for (int i = 0; i < 4; ++i) {
        auto* label = new QLabel(Labels[i], this);
        Text1[i] = new QLineEdit(this);
        Text1[i]->setObjectName(QString("Text1_%1").arg(i));
        Text1[i]->setMinimumWidth(320);
        label->setBuddy(Text1[i]);
        grid->addWidget(label, i, 0);
        grid->addWidget(Text1[i], i, 1);
    }
    cmdOK = new QPushButton("OK", this);
    cmdOK->setObjectName("cmdOK");
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton("Cancel", this);
    cmdCancel->setObjectName("cmdCancel");
    cmdCancel->setAutoDefault(false);
    cmdBrowse = new QPushButton("Browse", this);
    cmdBrowse->setObjectName("cmdBrowse");
    cmdBrowse->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdBrowse);
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    connect(cmdOK, &QPushButton::clicked, this, &frmSetPaths::save);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cmdBrowse, &QPushButton::clicked, this, &frmSetPaths::browse);

    // Linux programs have no extension to filter by.
    m_chooseFile = [this] { return QFileDialog::getOpenFileName(this, "Find Browser", QString(), "Programs (*)"); };

    applyDialogFont(*this, m_options.ProgramFont, m_options.ProgramFontSize);
    for (int i = 0; i < 4; ++i) {
        Text1[i]->setText(QString::fromStdString(m_settings.get("Browsers", Keys[i], "")));
    }
}

void frmSetPaths::save()
{
    // Stored as typed, empty boxes included: there is nothing to check a path against.
    for (int i = 0; i < 4; ++i) {
        m_settings.set("Browsers", Keys[i], Text1[i]->text().toStdString());
    }
    accept();
}

void frmSetPaths::browse()
{
    applyDialogFont(*this, m_options.ProgramFont, m_options.ProgramFontSize);
    const QString path = m_chooseFile();
    if (path.isEmpty()) {
        return;
    }
    // The file name alone decides the browser; paths may use either separator.
    const int box = BrowserPathBox(ProgramFileName(path.toStdString()));
    if (box >= 0) {
        Text1[box]->setText(path);
        return;
    }
    m_messages.show("Unknown File", "Invalid Browser Path... ", MessageIcon::Information);
}

}  // namespace brindlex
