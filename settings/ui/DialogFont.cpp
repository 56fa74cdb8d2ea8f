#include "settings/ui/DialogFont.h"

#include <QFont>
#include <QWidget>

namespace brindlex {

void applyDialogFont(QWidget& widget, const std::string& name, int pointSize)
{
    QFont font = widget.font();
    font.setFamily(QString::fromStdString(name));
    if (pointSize > 0) {
        font.setPointSize(pointSize);
    }
    // Children inherit the font unless they set their own.
    widget.setFont(font);
}

}  // namespace brindlex
