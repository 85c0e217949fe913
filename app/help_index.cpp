#include "app/help_index.h"

#include "calc/table_access.h"
#include "framework/globals.h"
#include "framework/help_texts.h"
#include "framework/message_box.h"
#include "framework/number_format.h"

void ShowHelpIndex() {
  SetDbfDialogCaptions(ProgShortName + " Help Database", "");
  OpenDbfTable(ProgShortNameLower + "HELP");
  if (AbortFlag) return;
  IndexDbfOn(DbfFieldName(1), ProgShortNameLower + "help");
  SetHelpNo(3200);
  // The index is read, never edited: the view mode offers no change or deletion.
  if (!AbortFlag) ShowDbfDialog("", 1);
  const bool chosen = !AbortFlag;
  const int topic = chosen ? TextToInt(DbfFieldText(1)) : 0;
  CloseDbfTable();
  if (topic <= 0 || topic > 65535) {
    AbortFlag = 0;
    return;
  }
  // The chosen topic's text; its sketch only when it names one, so that a
  // topic without a picture leaves the graphics window as it was.
  ShowHelpText(static_cast<Word>(topic), "", 1);
  ShowHelpPictureIfNamed(static_cast<Word>(topic));
  AbortFlag = 0;
}
