#pragma once
#include <QDialog>

#include "store/Editing.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QTabWidget;

namespace brindlex {

// "Brindlex Item Properties": caption, URL, description, date added and client of one
// entry or folder. It keeps the key of the row or node it edits; OK hands the edited
// fields back through edited().
class frmProperties : public QDialog
{
    Q_OBJECT

public:
    explicit frmProperties(const ItemProperties& properties, QWidget* parent = nullptr);

    // The fields as the dialog shows them now.
    ItemProperties edited() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    ItemProperties m_properties;
    QTabWidget* m_tabs;  // SSTab1, one tab "General"
    QLineEdit* m_caption;  // txtCaption
    QLineEdit* m_url;  // txtURL
    QLineEdit* m_description;  // txtDesc
    QLineEdit* m_date;  // txtDate, display only
    QComboBox* m_client;  // Combo2
    QLabel* m_picture;  // Picture1
};

}  // namespace brindlex
