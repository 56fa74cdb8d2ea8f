#include "formats/ui/frmExport.h"

#include <exception>
#include <new>

#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "formats/ui/DialogFilters.h"
#include "platform/MessageBoxes.h"
#include "platform/qt/DialogHost.h"
#include "platform/qt/FileDialogs.h"
#include "platform/qt/QtString.h"
#include "store/LinkStore.h"

namespace brindlex {

namespace {

constexpr ExportKind FileTypes[]
    = { ExportKind::Netscape, ExportKind::Mosaic, ExportKind::Spry, ExportKind::Spyglass, ExportKind::Html };

constexpr const char* RangeCaptions[]
    = { "Selected Items", "Immediate Folder Items", "Folder Items and Sub Folders", "Entire Database" };

}  // namespace

frmExport::frmExport(const DialogHost& host, LinkStore& store, MessageBoxes& messages, FileDialogs& fileDialogs,
    std::string programDir, std::vector<ListRow> rows)
    : QDialog(host.parent())
    , m_store(store)
    , m_messages(messages)
    , m_fileDialogs(fileDialogs)
    , m_programDir(std::move(programDir))
    , m_rows(std::move(rows))
    , m_label(new QLabel(tr("Export As"), this))
    , m_combo(new QComboBox(this))
    , m_frame(new QGroupBox(tr("Range"), this))
    , m_saveAs(new QPushButton(tr("Save As"), this))
    , m_cancel(new QPushButton(tr("Cancel"), this))
{
    setObjectName(QStringLiteral("frmExport"));
    setWindowTitle(tr("Export"));
    setModal(true);
    m_label->setObjectName(QStringLiteral("Label1"));
    m_combo->setObjectName(QStringLiteral("Combo1"));
    for (const ExportKind kind : FileTypes) {
        m_combo->addItem(tr(exportTypeText(kind).comboText));
    }
    m_frame->setObjectName(QStringLiteral("Frame1"));
    auto* rangeLayout = new QVBoxLayout(m_frame);
    // Shown from the widest range down, as the frame has always listed them.
    for (int index = 3; index >= 0; --index) {
        m_options[index] = new QRadioButton(tr(RangeCaptions[index]), m_frame);
        m_options[index]->setObjectName(QStringLiteral("Option1_%1").arg(index));
        rangeLayout->addWidget(m_options[index]);
    }
    m_options[0]->setChecked(true);
    m_saveAs->setObjectName(QStringLiteral("Command1"));
    m_cancel->setObjectName(QStringLiteral("Command2"));
    m_saveAs->setDefault(true);
    m_cancel->setAutoDefault(false);

    auto* typeRow = new QHBoxLayout;
    typeRow->addWidget(m_label);
    typeRow->addWidget(m_combo, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_saveAs);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(typeRow);
    layout->addWidget(m_frame);
    layout->addLayout(buttons);

    connect(m_saveAs, &QPushButton::clicked, this, [this] { SaveAs(); });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    host.prepare(this);
    setFileType(ExportKind::Netscape);
}

QRadioButton* frmExport::Option1(int index) const
{
    return (index >= 0 && index <= 3) ? m_options[index] : nullptr;
}

ExportKind frmExport::fileType() const
{
    const int index = m_combo->currentIndex();
    return (index >= 0 && index <= 4) ? FileTypes[index] : ExportKind::Netscape;
}

void frmExport::setFileType(ExportKind kind)
{
    m_combo->setCurrentIndex(static_cast<int>(kind));
}

ExportRange frmExport::range() const
{
    for (int index = 0; index <= 3; ++index) {
        if (m_options[index]->isChecked()) {
            return static_cast<ExportRange>(index);
        }
    }
    return ExportRange::SelectedItems;
}

bool frmExport::SaveAs()
{
    const ExportKind kind = fileType();
    const ExportTypeText& type = exportTypeText(kind);
    const FileDialogRequest request { "Save As " + toUtf8(m_combo->currentText()), qtFilter(type.filter), m_programDir,
        m_store.CurrentFolder().Caption, dialogSuffix(type.defaultExtension) };
    MessageBoxes& messages = m_messages;
    std::optional<std::string> path;
    while (true) {
        path = m_fileDialogs.saveFile(this, request);
        if (!path) {
            return false;
        }
        // A read-only file is not replaced; the user picks another name.
        const QFileInfo chosen(toQString(*path));
        if (!chosen.exists() || chosen.isWritable()) {
            break;
        }
        messages.show("Save As", *path + "\nThis file is set to read-only.\nTry again with a different file name.",
            MessageIcon::Exclamation);
    }
    Status written = Status::Ok();
    try {
        written = exportFile(m_store, kind, *path, range(), m_rows, messages);
    } catch (const std::bad_alloc& error) {
        // The atomic write has left any old file as it was.
        written = Error { ErrorKind::Io, error.what() };
        messages.show("Error", "Out of memory exporting " + *path + "...", MessageIcon::Critical);
    } catch (const std::exception& error) {
        written = Error { ErrorKind::Io, error.what() };
        messages.show("Error", "Error exporting " + *path + ": " + error.what(), MessageIcon::Information);
    }
    // exportFile has told the user about a failure; either way the command is over.
    if (written.ok()) {
        accept();
    } else {
        reject();
    }
    return written.ok();
}

}  // namespace brindlex
