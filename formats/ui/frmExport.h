#pragma once
#include <string>
#include <vector>

#include <QDialog>

#include "formats/ImportExport.h"
#include "store/ListRow.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace brindlex {

class DialogHost;
class FileDialogs;
class LinkStore;
class MessageBoxes;

// The export dialog: a file type (Combo1), a range (the Option1 buttons, index 0
// "Selected Items" chosen at first) and Save As, which asks for the file and writes it
// with the chosen type's writer. Cancelling the file dialog leaves this dialog open; a
// written or failed export closes it. Enter is Save As, Escape is Cancel.
class frmExport : public QDialog
{
    Q_OBJECT

public:
    // `rows` are the rows of the contents list with their selection, for the ranges that
    // work on them. Everything else must outlive the dialog; `programDir` is where the
    // file dialog starts.
    frmExport(const DialogHost& host, LinkStore& store, MessageBoxes& messages, FileDialogs& fileDialogs,
        std::string programDir, std::vector<ListRow> rows);

    QLabel* Label1() const { return m_label; }
    QComboBox* Combo1() const { return m_combo; }
    QGroupBox* Frame1() const { return m_frame; }
    QRadioButton* Option1(int index) const;  // 0..3
    QPushButton* Command1() const { return m_saveAs; }
    QPushButton* Command2() const { return m_cancel; }

    ExportKind fileType() const;
    void setFileType(ExportKind kind);
    ExportRange range() const;

    // Save As: the file dialog, then the writer. True when a file was written.
    bool SaveAs();

private:
    LinkStore& m_store;
    MessageBoxes& m_messages;
    FileDialogs& m_fileDialogs;
    std::string m_programDir;
    std::vector<ListRow> m_rows;
    QLabel* m_label;
    QComboBox* m_combo;
    QGroupBox* m_frame;
    QRadioButton* m_options[4] = {};
    QPushButton* m_saveAs;
    QPushButton* m_cancel;
};

}  // namespace brindlex
