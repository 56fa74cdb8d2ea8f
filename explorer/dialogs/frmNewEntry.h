#pragma once
#include <string>

#include <QDialog>

class QComboBox;
class QLineEdit;

namespace brindlex {

class Editing;

// "New Entry": name, URL, description and the assigned client of a new link. OK makes
// the entry in CurrentFolder through `editing`; a missing URL or name keeps the dialog open.
class frmNewEntry : public QDialog
{
    Q_OBJECT

public:
    frmNewEntry(Editing& editing, QWidget* parent = nullptr);

    // The id of the entry OK made, empty until then.
    const std::string& newId() const { return m_newId; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void okClicked();

    Editing& m_editing;
    QLineEdit* m_name;  // txtName
    QLineEdit* m_url;  // txtURL
    QLineEdit* m_description;  // txtDesc
    QComboBox* m_client;  // Combo1, "Assigned Client"
    std::string m_newId;
};

}  // namespace brindlex
