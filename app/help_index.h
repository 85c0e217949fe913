// The help index: the product's help table shown in the table dialog.
#pragma once

// Opens "<short name>HELP" of the table directory, orders it on its first
// field and shows it; a missing table is reported by the table layer.
void ShowHelpIndex();
