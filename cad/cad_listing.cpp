#include "cad/cad_listing.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <initializer_list>
#include <system_error>

#include "cad/dxf_writer.h"
#include "framework/charset.h"
#include "framework/globals.h"
#include "framework/line_io.h"
#include "framework/text_utils.h"

namespace {

std::string Number(Extended x) {
  std::string s;
  if (std::isfinite(x) && std::fabs(x) >= 1e15L) {
    // Beyond 1e15 the fixed form grows with the exponent (a thousand digits
    // for 1e999): the shortest exponent form that reads back as the value.
    char buffer[64];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, x);
    s.assign(buffer, r.ec == std::errc() ? r.ptr : buffer);
    std::replace(s.begin(), s.end(), 'e', 'E');
  }
  if (s.empty()) s = DxfRealText(x);
  return DecimalCommaMode == 2 ? DotToComma(s) : s;
}

void Row(const char* keyword, std::initializer_list<Extended> values,
         const std::string* tail = nullptr) {
  std::string line = keyword;
  for (Extended v : values) line += '\t' + Number(v);
  if (tail) line += '\t' + *tail;
  WriteTextLine(line);
}

}  // namespace

void WriteTxtMinMax(Extended xmin, Extended ymin, Extended xmax, Extended ymax) {
  Row("MINMAX", {xmin, ymin, xmax, ymax});
}

void WriteTxtBlocksSection() { WriteTextLine("SECTION BLOCKS"); }

void WriteTxtBlock(const std::string& name) { WriteTextLine("BLOCK\t" + name); }

void WriteTxtEndBlock() { WriteTextLine("END OF BLOCK"); }

void WriteTxtEntitiesSection() { WriteTextLine("SECTION ENTITIES"); }

void WriteTxtLine(Extended x1, Extended y1, Extended x2, Extended y2) {
  Row("LINE", {x1, y1, x2, y2});
}

void WriteTxtCircle(Extended x, Extended y, Extended r) { Row("CIRCLE", {x, y, r}); }

void WriteTxtArc(Extended x, Extended y, Extended a1, Extended a2, Extended r) {
  if (ArcIsFullCircle(a1, a2))
    WriteTxtCircle(x, y, r);
  else
    Row("ARC", {x, y, r, a1, a2});
}

void WriteTxtText(const std::string& text, Extended x, Extended y) {
  // A TAB or line break inside the text would shift or split the fields.
  std::string converted = UmlautModeText(text);
  for (char& c : converted)
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  Row("TEXT", {x, y}, &converted);
}

void WriteTxtSolid(Extended x1, Extended y1, Extended x2, Extended y2, Extended x3, Extended y3,
                   Extended x4, Extended y4) {
  Row("SOLID", {x1, y1, x2, y2, x3, y3, x4, y4});
}

void WriteTxtInsert(const std::string& name, Extended x, Extended y, Extended angle,
                    Extended xscale, Extended yscale) {
  std::string line = "INSERT\t" + name;
  for (Extended v : {x, y, angle, xscale, yscale}) line += '\t' + Number(v);
  WriteTextLine(line);
}

void WriteTxtEof() {
  WriteTextLine("EOF");
  CloseUnlessAborted(TextFileVar);
}
