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

// Rounds the reals into rec.v from index at on; false when one of them
// needs its text read back.
bool RoundReals(TGraphRecord& rec, int at, std::initializer_list<Extended> reals) {
  for (Extended x : reals)
    if (!GraphRoundedReal(x, rec.v[at++])) return false;
  return true;
}

// A record whose reals have no short binary form goes in as its text.
void AppendAsText(TGraphRecord rec, std::initializer_list<Extended> reals, int intFields) {
  std::string line = std::to_string(rec.code);
  int i = 0;
  for (Extended x : reals) {
    line += ';';
    line += i++ < intFields ? IntField(static_cast<long>(x)) : RealField(x);
    if (rec.code == gcSetTextStyle && i == 2) line += ';' + IntField(rec.n);
  }
  if (rec.code == gcOutTextXY) line += ';' + rec.text;
  CreateDisplayList()->push_back(std::move(line));
}

void AppendRounded(TGraphRecord rec, std::initializer_list<Extended> reals, int at = 0,
                   int intFields = 0) {
  if (RoundReals(rec, at, reals))
    CreateDisplayList()->Append(std::move(rec));
  else
    AppendAsText(std::move(rec), reals, intFields);
}

}  // namespace

void AppendGraphReals(TGraphCode code, std::initializer_list<Extended> reals) {
  TGraphRecord rec;
  rec.code = code;
  AppendRounded(std::move(rec), reals);
}

void AppendGraphInt(TGraphCode code, int n) {
  TGraphRecord rec;
  rec.code = code;
  rec.n = n;
  CreateDisplayList()->Append(std::move(rec));
}

void AppendGraphText(Extended x, Extended y, const std::string& text) {
  TGraphRecord rec;
  rec.code = gcOutTextXY;
  rec.text = text;
  AppendRounded(std::move(rec), {x, y});
}

void AppendGraphTextStyle(Extended height, Extended width, int font, Extended angle) {
  TGraphRecord rec;
  rec.code = gcSetTextStyle;
  rec.n = font;
  AppendRounded(std::move(rec), {height, width, angle});
}

void AppendGraphWindow(int px1, int py1, int px2, int py2, Extended xmin, Extended ymin,
                       Extended xmax, Extended ymax) {
  TGraphRecord rec;
  rec.code = gcSetWindow;
  rec.v[0] = px1;
  rec.v[1] = py1;
  rec.v[2] = px2;
  rec.v[3] = py2;
  if (RoundReals(rec, 4, {xmin, ymin, xmax, ymax}))
    CreateDisplayList()->Append(std::move(rec));
  else
    AppendAsText(std::move(rec), {Extended(px1), Extended(py1), Extended(px2), Extended(py2), xmin,
                                  ymin, xmax, ymax},
                 4);
}

std::string GraphRecordText(const TGraphRecord& r) {
  std::string s = std::to_string(r.code);
  auto real = [&](int i) {
    s += ';';
    s += GraphFloatText(r.v[i]);
  };
  auto integer = [&](long v) {
    s += ';';
    s += std::to_string(v);
  };
  switch (r.code) {
    case gcMoveTo:
    case gcLineTo:
      real(0), real(1), integer(0);
      break;
    case gcCircle:
      for (int i = 0; i < 3; ++i) real(i);
      break;
    case gcLine:
      for (int i = 0; i < 4; ++i) real(i);
      break;
    case gcArc:
    case gcSolid:
      for (int i = 0; i < 8; ++i) real(i);
      break;
    case gcOutTextXY:
      real(0), real(1);
      s += ';';
      s += r.text;
      break;
    case gcSetTextStyle:
      real(0), real(1), integer(r.n), real(2);
      break;
    case gcSetWindow:
      for (int i = 0; i < 4; ++i) integer(static_cast<long>(r.v[i]));
      for (int i = 4; i < 8; ++i) real(i);
      break;
    default:
      integer(r.n);
      break;
  }
  return s;
}

namespace {

// Splits off the text up to the next ";" (or the rest of the line).
std::string_view NextField(std::string_view& rest) {
  std::size_t p = rest.find(';');
  std::string_view f = rest.substr(0, p);
  rest = p == std::string_view::npos ? std::string_view() : rest.substr(p + 1);
  return f;
}

bool ReadReals(std::string_view& rest, double* out, int count) {
  for (int i = 0; i < count; ++i) {
    Extended x = 0;
    if (!TryTextToFloat(NextField(rest), x)) return false;
    out[i] = static_cast<double>(x);
  }
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

TDisplayList::Entry TDisplayList::FromText(std::string line) {
  Entry e;
  e.ok = ParseGraphRecord(line, e.rec);
  e.fromText = true;
  e.source = std::move(line);
  return e;
}

void TDisplayList::push_back(std::string line) { records_.push_back(FromText(std::move(line))); }

const std::vector<std::string>& TDisplayList::Lines() const {
  for (std::size_t i = lines_.size(); i < records_.size(); ++i) {
    const Entry& e = records_[i];
    lines_.push_back(e.fromText ? e.source : GraphRecordText(e.rec));
  }
  return lines_;
}
