#include "framework/calc_messages.h"

TCalcMessages CalcMessages;

void AddErrorMessage(std::string_view text) {
  const CalcMessageText head(text);
  for (std::size_t i = 1; i <= CalcMessages.count; ++i) {
    if (CalcMessages.texts[i] == head) return;
  }
  if (CalcMessages.count >= kCalcMessageSlots) return;
  ++CalcMessages.count;
  CalcMessages.texts[CalcMessages.count] = head;
}

void ClearCalcMessages() {
  CalcMessages.count = 0;
  CalcFatalFlag = 0;
}

void InitCalcMessages() { CalcMessages = TCalcMessages(); }
