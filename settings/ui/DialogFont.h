#pragma once
#include <string>

class QWidget;

namespace brindlex {

// Gives `widget` and every control on it the program font (name and point size).
void applyDialogFont(QWidget& widget, const std::string& name, int pointSize);

}  // namespace brindlex
