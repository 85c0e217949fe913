#include "framework/calc_messages.h"

TCalcMessages CalcMessages;

namespace {

void AddMessage(std::string_view text, bool fatal) {
  const CalcMessageText head(text);
  for (std::size_t i = 1; i <= CalcMessages.count; ++i) {
    if (CalcMessages.texts[i] == head) return;
  }
  if (CalcMessages.count < kCalcMessageSlots) {
    ++CalcMessages.count;
  } else if (!fatal || CalcMessages.fatalAt != 0) {
    return;
  }
  CalcMessages.texts[CalcMessages.count] = head;
  if (fatal && CalcMessages.fatalAt == 0) CalcMessages.fatalAt = CalcMessages.count;
}

}  // namespace

void AddErrorMessage(std::string_view text) { AddMessage(text, text.substr(0, 5) == "Fatal"); }

void AddFatalMessage(std::string_view text) { AddMessage(text, true); }

void ClearCalcMessages() {
  CalcMessages.count = 0;
  CalcMessages.fatalAt = 0;
  CalcFatalFlag = 0;
}

void InitCalcMessages() { CalcMessages = TCalcMessages(); }
