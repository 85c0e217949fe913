// F1 in every window of the program: the help of the focused field when it
// has a help entry of its own, else the help of its form.
#pragma once

#include "framework/types.h"

class QWidget;

// Gives a field (or a whole form) its own help entry for F1.
void SetWidgetHelpNumber(QWidget* widget, Word number);
// The help entry F1 shows for that focus: the field's own entry, its label's
// (the label whose buddy it is), else the nearest entry outwards; 0 when
// none is set.
Word WidgetHelpNumber(const QWidget* focus);
// What F1 does with that focus: the field's own entry; else the form's help
// button; else HelpNumber in a dialog, and the program's overview in the
// main window.
void ShowHelpForFocus(QWidget* focus);
// Installs the F1 key on the application (once).
void InstallHelpKey();
