// Runs a step with its dialogs answered from a script of its own: answers
// left over or missing are reported when the step ends.
#pragma once

#include "platform/dialogs.h"

template <class Answers, class Step>
void Answered(Answers answers, Step step) {
  platform::DialogScript script;
  answers(script);
  step();
}
