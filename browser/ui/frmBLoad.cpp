#include "browser/ui/frmBLoad.h"

#include <QHBoxLayout>
#include <QLabel>

#include "settings/OptionsHost.h"
#include "settings/ui/DialogFont.h"

namespace brindlex {

frmBLoad::frmBLoad(const std::string& browser, const QPixmap& picture, const ProgramOptions& options, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint)
{
    setObjectName("frmBLoad");
    setWindowTitle("Loading...");
    applyDialogFont(*this, options.ProgramFont, options.ProgramFontSize);
    Picture1 = new QLabel(this);
    Picture1->setObjectName("Picture1");
    Picture1->setPixmap(picture);
    Label1 = new QLabel(QString::fromStdString("Loading " + browser), this);
    Label1->setObjectName("Label1");
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(Picture1);
    layout->addWidget(Label1);
}

}  // namespace brindlex
