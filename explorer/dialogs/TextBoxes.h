#pragma once

class QLineEdit;

namespace brindlex {

// Makes a text box wide enough to show a typical web address whole at its present font
// (call again when the font changes) and shows the start of its text: a box that showed
// only the end of a long address hid which site it names.
void fitTypicalURL(QLineEdit* box);

}  // namespace brindlex
