// Explanations of the calculation messages (origin and remedy of each) from
// the explanation file, and the message display at the end of a calculation.
//
// The explanation file is a text file in code page 437; each explanation is
// three consecutive lines: a key line whose first 14 characters equal the
// first 14 characters of the message, the origin line and the remedy line.
// Other lines may stand between explanations.
#pragma once

#include <string>
#include <string_view>

#include "framework/types.h"

constexpr std::size_t kExplanationKeyLength = 14;
constexpr std::string_view kNoExplanationText = "no help description available for this error message.";

// The explanation file: ProgShortNameLower + ".err" in the user's data
// directory (the copy that SaveErrorExplanation writes), else in PltDir (the
// name compared without case), else the one shipped in the data directory.
// Empty when there is none.
std::string ErrorExplanationFileName();
// The user's copy that SaveErrorExplanation writes; the shipped file is never changed.
std::string UserErrorExplanationFileName();

// Replaces the origin and remedy lines of the explanation of Message (texts
// in code page 437): the explanation file is read and written, with the two
// lines replaced, to the user's copy through a temporary file. A message
// without explanation gives "<Message> not found."; a missing file the
// message of OpenTextForRead and AbortFlag.
void SaveErrorExplanation(std::string_view Message, std::string_view Origin, std::string_view Remedy);

enum class ExplanationLookup { Found, NotFound, NoFile };

// Looks up the explanation of Message in the file FileName.
ExplanationLookup LookupExplanation(std::string_view FileName, std::string_view Message,
                                    std::string& Origin, std::string& Remedy);

// Lets the user step through CalcMessages with their explanations. Shows
// nothing under "/NOGUI" or in a batch run.
void ShowCalculationMessages();
// Shows the explanation of message I (from 1) of CalcMessages.
void ShowMessageHelp(Word I);
// Shows the explanation window modally (texts in code page 437).
void ShowErrorHelp(std::string_view Message, std::string_view Origin, std::string_view Remedy);
// Origin or remedy line of message I, or kNoExplanationText when the file has
// none; Text is unchanged when there is no explanation file.
void ExplanationOrigin(int I, std::string& Text);
void ExplanationRemedy(int I, std::string& Text);
// Both from one look into the file.
void ExplanationOfMessage(int I, std::string& Origin, std::string& Remedy);
