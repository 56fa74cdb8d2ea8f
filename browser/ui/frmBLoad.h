#pragma once
#include <QDialog>
#include <QPixmap>
#include <string>

class QLabel;

namespace brindlex {

struct ProgramOptions;

// "Loading...": shown over the main window while a browser program is started.
class frmBLoad : public QDialog
{
    Q_OBJECT
public:
    // `picture` is the browser's loading picture (null: none). `owner` keeps the window above it.
    frmBLoad(const std::string& browser, const QPixmap& picture, const ProgramOptions& options, QWidget* owner);

    QLabel* Picture1 = nullptr;
    QLabel* Label1 = nullptr;
};

}  // namespace brindlex
