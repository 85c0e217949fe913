// Number fields of the forms: an edit marked as a number is checked before
// the form stores anything, so that a typed text that is no number is refused
// instead of being read as 0.
#pragma once

#include <string>
#include <string_view>

#include "framework/types.h"
#include "framework/units.h"

class QLineEdit;
class QVariant;
class QWidget;

enum class NumberKind { Float, Integer };

// An extended value as a widget property, kept unrounded (a double would
// round it), and back; `fallback` for a property that holds none.
QVariant ExtendedVariant(Extended value);
Extended VariantExtended(const QVariant& v, Extended fallback);

// Marks an edit as a number field. `name` names it in the message; without
// one, the text of the label whose buddy the edit is, else its object name.
void MarkNumberField(QLineEdit* edit, std::string_view name = {}, NumberKind kind = NumberKind::Float);

// The values a number field allows, in stored (metric) units of its kind
// of quantity; they are checked and named in the unit the field shows.
// Other than 0, no magnitude below `tiny` is allowed (0: any).
void SetNumberRange(QLineEdit* edit, Extended lo, Extended hi, TQuantity quantity = TQuantity::Number,
                    Extended tiny = 0);

// Whether a value in stored units lies within the range of a number field,
// as the calculation checks it (true for a field without a range).
bool StoredValueInRange(const QLineEdit* edit, Extended value);

// The values a number text may give, in stored units (none when lo > hi).
struct TNumberRange {
  Extended lo = 1, hi = 0;
  TQuantity quantity = TQuantity::Number;
  Extended tiny = 0;
};

// Why the text of the number field named `name` (stored characters) is
// refused: no number, a number that reads two ways (only when `typed`), or
// one outside the range, which the message then names ("Valid Data are:
// lo .. hi unit ..."). Empty when the text is taken. Forms and grids check
// their number texts with it.
std::string NumberTextRefusal(std::string_view name, std::string_view text, NumberKind kind,
                              const TNumberRange& range, bool typed);

// Checks the marked edits of `form` that are shown and enabled. The first
// that holds no number or a number outside its range, or is empty though it
// has a range, is refused
// with "Invalid Input", its name and, where it has one, its range ("Valid
// Data are: lo .. hi unit !"); it gets the focus with its text kept and
// false is returned. Without `report` nothing is shown (checks while the
// user types).
bool NumberFieldsValid(QWidget* form, bool report = true);

// A typed number whose "." or "," before exactly three digits is not the
// decimal sign the forms show ("15.000" where they show ",", "1,500" where
// they show ".") may be meant with a thousands separator: true, and unless
// !report the message naming both readings ("name: "15.000" is ambiguous:
// 15000 or 15 ? ..."). Grids check their typed number cells with it.
bool AmbiguousNumberRefused(std::string_view name, std::string_view text, bool report);
