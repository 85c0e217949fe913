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
};

extern TCalcMessages CalcMessages;

// Adds the first 36 characters of Text unless they are already held; beyond
// the eleventh distinct message further texts are dropped silently.
void AddErrorMessage(std::string_view text);

// Empties the list and clears CalcFatalFlag.
void ClearCalcMessages();

void InitCalcMessages();
