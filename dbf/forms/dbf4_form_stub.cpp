// Until the table dialog's form is built, showing it reports that it is missing.
#include "dbf/dbf4.h"
#include "framework/globals.h"
#include "framework/message_box.h"

void RunTableDialogForm(Tdbf4&) {
  ShowMessageText("The table dialog is not available.");
  AbortFlag = 1;
}
