// The calculation message list: short texts collected while a calculation,
// drawing or diagram runs, shown afterwards. Callers put the kind prefix
// ("Fatal  : ", "Error  : ", "Warning: ") in front and set CalcFatalFlag
// themselves with a fatal message.
#pragma once

#include <string_view>

#include "framework/globals.h"

constexpr std::size_t kCalcMessageSlots = 11;
constexpr std::size_t kCalcMessageWidth = 36;

using CalcMessageText = ShortString<kCalcMessageWidth>;

struct TCalcMessages {
  Word count = 0;  // texts 1..count are valid
  OneBasedArray<CalcMessageText, kCalcMessageSlots> texts;
  Word fatalAt = 0;  // the slot of the first fatal message, 0 while none
};

extern TCalcMessages CalcMessages;

// Adds the first 36 characters of Text unless they are already held; beyond
// the eleventh distinct message further texts are dropped silently, except
// the first fatal one (a text beginning "Fatal"): the reason a run ended
// always stands in the list, in the last place of a full one.
void AddErrorMessage(std::string_view text);
// The same for a fatal message whatever its text (the data checks' texts
// without a kind prefix).
void AddFatalMessage(std::string_view text);

// Empties the list and clears CalcFatalFlag.
void ClearCalcMessages();

void InitCalcMessages();
