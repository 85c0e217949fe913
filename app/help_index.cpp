#include "app/help_index.h"

#include "calc/table_access.h"
#include "framework/globals.h"
#include "framework/message_box.h"

void ShowHelpIndex() {
  SetDbfDialogCaptions(ProgShortName + " Help Database", "");
  OpenDbfTable(ProgShortNameLower + "HELP");
  if (AbortFlag) return;
  IndexDbfOn(DbfFieldName(1), ProgShortNameLower + "help");
  SetHelpNo(3200);
  if (!AbortFlag) ShowDbfDialog("", 0);
  CloseDbfTable();
}
