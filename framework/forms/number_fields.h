// Number fields of the forms: an edit marked as a number is checked before
// the form stores anything, so that a typed text that is no number is refused
// instead of being read as 0.
#pragma once

#include <string_view>

class QLineEdit;
class QWidget;

enum class NumberKind { Float, Integer };

// Marks an edit as a number field. `name` names it in the message; without
// one, the text of the label whose buddy the edit is, else its object name.
void MarkNumberField(QLineEdit* edit, std::string_view name = {}, NumberKind kind = NumberKind::Float);

// Checks the marked edits of `form` that are shown and enabled. The first
// whose text is neither empty nor a number is refused with "Invalid Input"
// and its name; it gets the focus with its text kept and false is returned.
// Without `report` nothing is shown (checks while the user types).
bool NumberFieldsValid(QWidget* form, bool report = true);
