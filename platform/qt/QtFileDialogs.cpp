#include "platform/qt/QtFileDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFontDialog>

#include "platform/qt/NormalPointer.h"
#include "platform/qt/QtString.h"

namespace brindlex {

namespace {

void prepare(QFileDialog& dialog, const FileDialogRequest& request)
{
    dialog.setWindowTitle(toQString(request.title));
    if (!request.filter.empty()) {
        dialog.setNameFilters(toQString(request.filter).split(QStringLiteral(";;")));
    }
    if (!request.directory.empty()) {
        dialog.setDirectory(toQString(request.directory));
    }
    if (!request.fileName.empty()) {
        dialog.selectFile(toQString(request.fileName));
    }
    if (!request.defaultSuffix.empty()) {
        dialog.setDefaultSuffix(toQString(request.defaultSuffix));
    }
}

}  // namespace

std::optional<std::string> QtFileDialogs::openFile(QWidget* parent, const FileDialogRequest& request)
{
    QFileDialog dialog(parent);
    prepare(dialog, request);
    const NormalPointer pointer;
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return toUtf8(dialog.selectedFiles().constFirst());
}

std::vector<std::string> QtFileDialogs::openFiles(QWidget* parent, const FileDialogRequest& request)
{
    QFileDialog dialog(parent);
    prepare(dialog, request);
    const NormalPointer pointer;
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    std::vector<std::string> files;
    if (dialog.exec() == QDialog::Accepted) {
        for (const QString& file : dialog.selectedFiles()) {
            files.push_back(toUtf8(file));
        }
    }
    return files;
}

std::optional<std::string> QtFileDialogs::saveFile(QWidget* parent, const FileDialogRequest& request)
{
    QFileDialog dialog(parent);
    prepare(dialog, request);
    const NormalPointer pointer;
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return toUtf8(dialog.selectedFiles().constFirst());
}

std::optional<FontChoice> QtFileDialogs::chooseFont(QWidget* parent, const FontChoice& initial)
{
    bool ok = false;
    const NormalPointer pointer;
    const QFont font = QFontDialog::getFont(&ok, QFont(toQString(initial.family), initial.pointSize), parent);
    if (!ok) {
        return std::nullopt;
    }
    return FontChoice { toUtf8(font.family()), font.pointSize() };
}

}  // namespace brindlex
