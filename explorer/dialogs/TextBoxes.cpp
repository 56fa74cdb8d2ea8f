#include "explorer/dialogs/TextBoxes.h"

#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>

namespace brindlex {

void fitTypicalURL(QLineEdit* box)
{
    // About sixty characters: most addresses people keep are shorter.
    static const QString Typical = QStringLiteral("https://www.example.org/section/subsection/a-typical-page.html");
    const int text = box->fontMetrics().horizontalAdvance(Typical);
    QStyleOptionFrame option;
    option.initFrom(box);
    const int frame = box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box);
    box->setMinimumWidth(text + 2 * frame + 8);  // the box's own text margins
    box->setCursorPosition(0);
}

}  // namespace brindlex
