#include "framework/display_list.h"

#include <string_view>

#include "framework/graph_support.h"
#include "framework/number_format.h"

TDisplayList* DisplayList = nullptr;

TDisplayList* CreateDisplayList() {
  if (!DisplayList) DisplayList = new TDisplayList;
  return DisplayList;
}

void FreeDisplayList() {
  delete DisplayList;
  DisplayList = nullptr;
}

void InitDisplayList() { CreateDisplayList()->clear(); }

std::string RealField(Extended v) { return GraphFloatText(v); }
std::string IntField(long v) { return std::to_string(v); }

void AppendGraphRecord(TGraphCode code, std::initializer_list<std::string> fields) {
  std::string rec = std::to_string(static_cast<int>(code));
  for (const std::string& f : fields) {
    rec += ';';
    rec += f;
  }
  CreateDisplayList()->push_back(std::move(rec));
}

namespace {

// Splits off the text up to the next ";" (or the rest of the line).
std::string_view NextField(std::string_view& rest) {
  std::size_t p = rest.find(';');
  std::string_view f = rest.substr(0, p);
  rest = p == std::string_view::npos ? std::string_view() : rest.substr(p + 1);
  return f;
}

bool ReadReals(std::string_view& rest, Extended* out, int count) {
  for (int i = 0; i < count; ++i)
    if (!TryTextToFloat(NextField(rest), out[i])) return false;
  return true;
}

}  // namespace

bool ParseGraphRecord(const std::string& line, TGraphRecord& rec) {
  std::string_view rest(line);
  std::size_t semi = rest.find(';');
  if (semi == std::string_view::npos) return false;
  int code = 0;
  if (!TryTextToInt(rest.substr(0, semi), code)) return false;
  rest.remove_prefix(semi + 1);
  rec = TGraphRecord{};
  rec.code = code;
  switch (rec.code) {
    case gcMoveTo:
    case gcLineTo: return ReadReals(rest, rec.v, 2);
    case gcCircle: return ReadReals(rest, rec.v, 3);
    case gcLine: return ReadReals(rest, rec.v, 4);
    case gcArc:
    case gcSolid:
    case gcSetWindow: return ReadReals(rest, rec.v, 8);
    case gcOutTextXY:
      if (!ReadReals(rest, rec.v, 2)) return false;
      rec.text = std::string(rest);
      return true;
    case gcSetTextStyle: {
      // height; width; font (not used); angle
      if (!ReadReals(rest, rec.v, 2)) return false;
      NextField(rest);
      return ReadReals(rest, rec.v + 2, 1);
    }
    case gcSetColor:
    case gcSetLineStyle:
    case gcSetLineWidth:
    case gcSleepMs: return TryTextToInt(rest, rec.n);
    default: return true;
  }
}

const TGraphRecord* TDisplayList::Record(std::size_t i) const {
  if (i >= text_.size()) return nullptr;
  if (parsed_.size() <= i) {
    std::size_t from = parsed_.size();
    parsed_.resize(i + 1);
    for (std::size_t k = from; k <= i; ++k) parsed_[k].ok = ParseGraphRecord(text_[k], parsed_[k].rec);
  }
  return parsed_[i].ok ? &parsed_[i].rec : nullptr;
}
