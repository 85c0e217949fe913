#include "app/json_results.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/batch_runs.h"
#include "calc/calculation.h"
#include "calc/designation.h"
#include "calc/joint_records.h"
#include "framework/calc_messages.h"
#include "framework/charset.h"
#include "framework/error_explanations.h"
#include "framework/file_utils.h"
#include "framework/globals.h"
#include "framework/line_io.h"
#include "framework/text_output.h"
#include "platform/os.h"

namespace fs = std::filesystem;

namespace {

void AppendJsonNumber(std::string& out, Extended x) {
  const double d = static_cast<double>(x);
  if (!std::isfinite(d)) {
    out += "null";
    return;
  }
  char buffer[32];
  const std::string_view text(buffer, static_cast<std::size_t>(std::to_chars(buffer, buffer + sizeof buffer, d).ptr - buffer));
  // JSON readers take "1e-06" and "3" as numbers; the decimal point keeps
  // them floating-point for every reader.
  const std::size_t e = std::min(text.find('e'), text.size());
  if (text.substr(0, e).find('.') != std::string_view::npos) {
    out += text;
    return;
  }
  out += text.substr(0, e);
  out += ".0";
  out += text.substr(e);
}

}  // namespace

std::string JsonNumber(Extended x) {
  std::string text;
  AppendJsonNumber(text, x);
  return text;
}

namespace {

// Length of the well-formed UTF-8 sequence at text[i], 0 when there is none.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i) {
  const auto b = static_cast<unsigned char>(text[i]);
  const std::size_t n = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
  if (n == 0 || i + n > text.size()) return 0;
  for (std::size_t k = 1; k < n; ++k)
    if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 0;
  return n;
}

void AppendJsonString(std::string& out, std::string_view utf8) {
  out += '"';
  for (std::size_t i = 0; i < utf8.size();) {
    // A run of characters that stand for themselves is copied whole.
    std::size_t plain = i;
    while (plain < utf8.size()) {
      const auto c = static_cast<unsigned char>(utf8[plain]);
      if (c < 0x20 || c >= 0x80 || c == '"' || c == '\\') break;
      ++plain;
    }
    out.append(utf8.data() + i, plain - i);
    i = plain;
    if (i >= utf8.size()) break;
    const char ch = utf8[i];
    const auto c = static_cast<unsigned char>(ch);
    const std::size_t n = Utf8SequenceLength(utf8, i);
    if (n == 0) {
      out += "\xEF\xBF\xBD";  // a byte that is no UTF-8 (a file name in another code page)
      ++i;
      continue;
    }
    if (ch == '"' || ch == '\\') {
      out += '\\';
      out += ch;
    } else if (c < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", c);
      out += escape;
    } else {
      out.append(utf8.data() + i, n);
    }
    i += n;
  }
  out += '"';
}

}  // namespace

std::string JsonString(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size() + 2);
  AppendJsonString(out, utf8);
  return out;
}

namespace {

// A stored text (code page 437) as a JSON string; plain ASCII is the same
// in UTF-8.
void AppendText(std::string& out, std::string_view oem) {
  if (std::all_of(oem.begin(), oem.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    AppendJsonString(out, oem);
  else
    AppendJsonString(out, OemToUtf8(oem));
}

std::string Text(std::string_view oem) {
  std::string json;
  AppendText(json, oem);
  return json;
}

// One object written member by member, on lines indented by depth.
class JsonObject {
 public:
  JsonObject(std::string& out, int depth) : out_(out), depth_(depth) { out_ += "{"; }
  void Member(std::string_view name, std::string_view json) {
    Key(name);
    out_ += json;
  }
  void Number(std::string_view name, Extended x) {
    Key(name);
    AppendJsonNumber(out_, x);
  }
  // A stored text (code page 437).
  void Text(std::string_view name, std::string_view oem) {
    Key(name);
    AppendText(out_, oem);
  }
  void Close() {
    if (!first_) {
      out_ += '\n';
      out_.append(2 * static_cast<std::size_t>(depth_), ' ');
    }
    out_ += '}';
  }

 private:
  // Member names are plain identifiers of this file: nothing to escape.
  void Key(std::string_view name) {
    out_ += first_ ? "\n" : ",\n";
    first_ = false;
    out_.append(2 * static_cast<std::size_t>(depth_ + 1), ' ');
    out_ += '"';
    out_ += name;
    out_ += "\": ";
  }

  std::string& out_;
  int depth_;
  bool first_ = true;
};

template <typename Item, typename Write>
std::string JsonArray(const std::vector<Item>& items, int depth, Write write) {
  if (items.empty()) return "[]";
  std::string out = "[";
  out.reserve(items.size() * 64);
  for (std::size_t i = 0; i < items.size(); ++i) {
    out += i ? ",\n" : "\n";
    out.append(2 * static_cast<std::size_t>(depth + 1), ' ');
    write(out, items[i], depth + 1);
  }
  out += '\n';
  out.append(2 * static_cast<std::size_t>(depth), ' ');
  out += ']';
  return out;
}

template <typename Table>
std::string Named(const Table& names, std::size_t i) {
  return Text(i < names.size() ? names[i].view() : std::string_view());
}

// A report value: the number, a range as min and max, or the text printed.
void ValueMembers(JsonObject& o, const ReportNumber& n) {
  if (n.values.size() == 1) {
    o.Number("value", n.values[0]);
  } else if (n.values.size() == 2) {
    o.Number("min", n.values[0]);
    o.Number("max", n.values[1]);
  } else {
    o.Text("text", n.text);
  }
}

// A member that is an object of its own, filled by fill.
template <typename Fill>
void Group(JsonObject& parent, std::string_view name, int depth, Fill fill) {
  std::string json;
  JsonObject o(json, depth + 1);
  fill(o);
  o.Close();
  parent.Member(name, json);
}

std::string InputsJson(int depth) {
  std::string out;
  JsonObject inputs(out, depth);
  const SCHRAUBTYPE& s = Schraube;
  Group(inputs, "bolt", depth, [&](JsonObject& o) {
    o.Text("designation", BoltDesignation());
    o.Member("type", std::to_string(s.BoltType));
    o.Text("strength_class", MatBolt.StrengthClass);
    o.Number("l_mm", s.l);
    o.Number("b_mm", s.b);
    o.Number("Rm_MPa", MatBolt.Rm);
    o.Number("Rp02_MPa", MatBolt.Rp02);
    o.Number("E_MPa", MatBolt.E);
    const int n = s.nSections <= kMaxBoltSections ? s.nSections : kMaxBoltSections;
    std::vector<int> sections;
    for (int i = 1; i <= n; ++i) sections.push_back(i);
    o.Member("sections", JsonArray(sections, depth + 2, [&](std::string& a, int i, int d) {
      JsonObject section(a, d);
      section.Number("l_mm", s.lSec[i]);
      section.Number("d_mm", s.dSec[i]);
      section.Number("di_mm", s.diSec[i]);
      section.Close();
    }));
  });
  Group(inputs, "thread", depth, [&](JsonObject& o) {
    o.Text("designation", Gewinde.Designation);
    o.Number("d_mm", Gewinde.d);
    o.Number("P_mm", Gewinde.P);
  });
  Group(inputs, "head", depth, [&](JsonObject& o) {
    o.Member("kind", Named(HeadKindNames, s.HeadType));
    o.Number("dK_mm", s.dK);
    o.Number("dw_mm", s.dw);
  });
  Group(inputs, "nut", depth, [&](JsonObject& o) {
    o.Member("joint", Named(JointKindNames, Verbindung.JointKind));
    o.Member("kind", Named(NutKindNames, Mutter.NutType));
    o.Number("m_mm", Mutter.m);
    o.Number("dw_mm", Mutter.dwNut);
  });
  const KLEMMSTUECKTYPE& k = Klemmstuecke;
  std::vector<int> plates;
  for (int i = 1; i <= (k.nPlates <= kMaxPlates ? k.nPlates : kMaxPlates); ++i) plates.push_back(i);
  inputs.Member("plates", JsonArray(plates, depth + 1, [&](std::string& a, int i, int d) {
    JsonObject plate(a, d);
    plate.Text("material", k.Material[i].view());
    plate.Number("De_mm", k.De[i]);
    plate.Number("Di_mm", k.Di[i]);
    plate.Number("l_mm", k.L[i]);
    plate.Number("E_MPa", k.E[i]);
    plate.Close();
  }));
  const LASTTYPE& l = Last;
  Group(inputs, "loads", depth, [&](JsonObject& o) {
    o.Number("FA_max_N", l.FAmax);
    o.Number("FA_min_N", l.FAmin);
    o.Number("FQ_N", l.FQ);
    o.Number("FK_req_N", l.FKreq);
    o.Number("n1", l.n1);
    o.Number("n2", l.n2);
    o.Member("eccentric", ExzKraftangriff.ExzCode == 2 ? "true" : "false");
  });
  const REIBUNGTYPE& r = Reibung;
  Group(inputs, "friction", depth, [&](JsonObject& o) {
    o.Number("muG_min", r.muGmin);
    o.Number("muG_max", r.muGmax);
    o.Number("muK_min", r.muKmin);
    o.Number("muK_max", r.muKmax);
    o.Number("muTr", r.muTr);
  });
  const MONTAGETYPE& m = Montage;
  Group(inputs, "tightening", depth, [&](JsonObject& o) {
    o.Member("drive", Named(DriveSideNames, m.DriveSide));
    o.Number("nu", m.nu);
    o.Number("alphaA", m.alphaA);
    o.Number("ktau", m.ktau);
    o.Number("fZ_mm", Verbindung.fZ);
  });
  Group(inputs, "temperatures", depth, [&](JsonObject& o) {
    o.Number("T0_C", Temperatur.T0);
    o.Number("T_C", Temperatur.TWork);
  });
  inputs.Close();
  return out;
}

struct MessageEntry {
  std::string kind, text, origin, remedy;
};

std::vector<MessageEntry> Messages() {
  std::vector<MessageEntry> list;
  // The explanation file is looked for once for all messages.
  const std::string explanations = CalcMessages.count > 0 ? ErrorExplanationFileName() : std::string();
  for (std::size_t i = 1; i <= CalcMessages.count; ++i) {
    const std::string text = CalcMessages.texts[i].str();
    // Texts without a kind prefix (a failed check) get the kind the
    // calculation document's verdict counts them as.
    static const char* const kKindNames[] = {"fatal", "error", "warning"};
    MessageEntry m{kKindNames[static_cast<int>(KindOfCalcMessage(text))], text, "", ""};
    for (const char* prefix : {"Fatal  : ", "Error  : ", "Warning: "})
      if (text.rfind(prefix, 0) == 0) m.text = text.substr(9);
    if (!explanations.empty() &&
        LookupExplanation(explanations, text, m.origin, m.remedy) == ExplanationLookup::NotFound)
      m.origin = m.remedy = std::string(kNoExplanationText);
    list.push_back(m);
  }
  return list;
}

}  // namespace

std::string JointResultsJson(const std::string& projectFile, const ReportValues& report) {
  std::string out;
  out.reserve(32 * 1024);
  JsonObject root(out, 0);
  root.Member("program", JsonString(ProgShortName + " " + ProgTitle.str().substr(ProgShortName.size() + 3)));
  root.Member("version", JsonString(ProgVersion));
  root.Member("project", JsonString(projectFile));
  root.Text("edition", VdiEditionText(CalcOptions.VdiEdition));
  root.Member("fatal", CalcFatalFlag ? "true" : "false");
  root.Member("inputs", InputsJson(1));
  root.Member("results", JsonArray(report.rows, 1, [](std::string& a, const ReportRow& r, int d) {
    JsonObject o(a, d);
    o.Text("section", r.section);
    o.Text("name", r.name);
    o.Text("symbol", r.symbol);
    o.Text("unit", r.unit);
    ValueMembers(o, r.value);
    o.Close();
  }));
  root.Member("tables", JsonArray(report.tables, 1, [](std::string& a, const ReportTable& t, int d) {
    JsonObject o(a, d);
    o.Text("section", t.section);
    o.Text("title", t.title);
    o.Member("columns", JsonArray(t.columns, d + 1, [](std::string& c, const std::string& head, int) { AppendText(c, head); }));
    o.Member("rows", JsonArray(t.rows, d + 1, [](std::string& rows, const std::vector<ReportNumber>& row, int rd) {
      rows += JsonArray(row, rd, [](std::string& cell, const ReportNumber& n, int cd) {
        JsonObject c(cell, cd);
        ValueMembers(c, n);
        c.Close();
      });
    }));
    o.Close();
  }));
  root.Member("messages", JsonArray(Messages(), 1, [](std::string& a, const MessageEntry& m, int d) {
    JsonObject o(a, d);
    o.Member("kind", JsonString(m.kind));
    o.Text("text", m.text);
    o.Text("origin", m.origin);
    o.Text("remedy", m.remedy);
    o.Close();
  }));
  root.Close();
  return out + "\n";
}

int RunBatchJson(const std::string& projectFile) {
  const int loaded = LoadBatchProject(projectFile);
  if (loaded != kExitOk && loaded != kExitCalcFatal) return loaded;
  const std::string target = CurrentFileName + ".json";
  ReportValues values;
  if (loaded == kExitOk) {
    // The report is printed once, into no file, to read its numbers as it
    // prints them.
    AskTextDevice = 0;
    TextDevice = kDeviceBatchTxt;
    ReportValueCollector = &values;
    DiscardBatchText = 1;
    WritePrintout();
    DiscardBatchText = 0;
    ReportValueCollector = nullptr;
    if (BatchTableDataMissing(projectFile, "")) return kExitLoadFailed;
    if (AbortFlag) {
      std::fprintf(stderr, "%s: the report's values cannot be read\n", projectFile.c_str());
      return kExitLoadFailed;
    }
  }
  // Written beside the target and renamed into place.
  const std::string json = JointResultsJson(projectFile, values);
  AbortFlag = 0;
  InitFileErrors();
  TTextFile file;
  file.Assign(target);
  bool written = file.Rewrite(platform::ReplaceSync::Derived);
  if (written) {
    file.Write(json);
    written = file.Close();
  }
  if (!written) {
    std::fprintf(stderr, "the results %s cannot be written%s\n", target.c_str(),
                 UnwrittenOutputReason(target).c_str());
    return kExitLoadFailed;
  }
  return loaded;
}
