// bq4_mktables: turns a table source (CSV, first line the field definitions
// NAME:TYPE:LENGTH:DECIMALS) into a dBASE table with the program's own table
// engine. Usage: bq4_mktables source.csv target.dbf
// The table is written to a temporary name beside the target and renamed into
// place, so a failed build never leaves a half-written table.
//
// Users edit the built tables in the program's table window, and a rebuild or
// a newer program must not throw their edits away. Beside each table lies a
// stamp (target.dbf.built) of the fields and records the build wrote and of
// the source they came from. The build replaces a table only when it is
// missing or still holds what the stamp says (a table stored unchanged by the
// engine differs only in its header's date, which does not count); a table
// changed since is kept, and when its source has changed too, the new table
// goes beside it as target.dbf.new.
// A table without a stamp (from a build that kept none) is replaced quietly
// when it holds what the new one holds, else replaced with the previous one
// kept as target.dbf.old.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "dbf/dbf_file.h"
#include "dbf/errors.h"
#include "dbf/table_stamps.h"

namespace {

struct Failure {
  std::string text;
};

[[noreturn]] void Fail(const std::string& where, const std::string& text) { throw Failure{where + ": " + text}; }

// One CSV record (RFC 4180); false at the end of the input.
bool ReadCsvRecord(std::istream& in, std::vector<std::string>& cells, int& line) {
  cells.clear();
  std::string cell;
  bool quoted = false, any = false;
  int c;
  while ((c = in.get()) != EOF) {
    any = true;
    if (quoted) {
      if (c == '"') {
        if (in.peek() == '"') {
          cell += '"';
          in.get();
        } else {
          quoted = false;
        }
      } else {
        if (c == '\n') ++line;
        cell += static_cast<char>(c);
      }
      continue;
    }
    if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      cells.push_back(cell);
      cell.clear();
    } else if (c == '\r') {
      continue;
    } else if (c == '\n') {
      ++line;
      break;
    } else {
      cell += static_cast<char>(c);
    }
  }
  if (!any) return false;
  if (quoted) Fail("line " + std::to_string(line), "unterminated quoted field");
  cells.push_back(cell);
  return true;
}

// UTF-8 text to code page 437 for the characters the tables use.
std::string ToCodePage437(const std::string& s, const std::string& where) {
  struct Map {
    unsigned code;
    unsigned char cp437;
  };
  static const Map kMap[] = {{0xB5, 0xE6}, {0xB0, 0xF8}, {0xB2, 0xFD}, {0xE4, 0x84}, {0xF6, 0x94},
                             {0xFC, 0x81}, {0xC4, 0x8E}, {0xD6, 0x99}, {0xDC, 0x9A}, {0xDF, 0xE1}};
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
      out += static_cast<char>(b);
      continue;
    }
    unsigned code = 0;
    if ((b & 0xE0) == 0xC0 && i + 1 < s.size()) {
      code = ((b & 0x1F) << 6) | (static_cast<unsigned char>(s[i + 1]) & 0x3F);
      ++i;
    }
    bool done = false;
    for (const Map& m : kMap) {
      if (m.code == code) {
        out += static_cast<char>(m.cp437);
        done = true;
      }
    }
    if (!done) Fail(where, "character not in the table character set");
  }
  return out;
}

TDbfFieldEntry ParseFieldDefinition(const std::string& def, const std::string& where) {
  std::vector<std::string> parts;
  std::stringstream ss(def);
  std::string p;
  while (std::getline(ss, p, ':')) parts.push_back(p);
  if (parts.size() < 2 || parts.size() > 4) Fail(where, "field definition \"" + def + "\" is not NAME:TYPE:LENGTH:DECIMALS");
  TDbfFieldEntry f;
  if (parts[0].empty() || parts[0].size() > 10) Fail(where, "field name \"" + parts[0] + "\" must have 1 to 10 characters");
  f.name = parts[0];
  if (parts[1].size() != 1 || std::string("CNFDL").find(parts[1][0]) == std::string::npos)
    Fail(where, "field type \"" + parts[1] + "\" is not C, N, F, D or L");
  f.type = parts[1][0];
  auto number = [&](const std::string& text, int lo, int hi) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || v < lo || v > hi)
      Fail(where, "\"" + text + "\" in \"" + def + "\" is not a number in " + std::to_string(lo) + ".." + std::to_string(hi));
    return static_cast<std::uint8_t>(v);
  };
  if (f.type == 'D') f.length = 8;
  else if (f.type == 'L') f.length = 1;
  else if (parts.size() < 3) Fail(where, "field \"" + def + "\" needs a length");
  else f.length = number(parts[2], 1, f.type == 'C' ? 254 : 20);
  if (parts.size() == 4 && (f.type == 'N' || f.type == 'F')) {
    f.decimals = number(parts[3], 0, 15);
    if (f.decimals > 0 && f.decimals + 2 > f.length) Fail(where, "field \"" + def + "\" has no room for its decimals");
  }
  return f;
}

std::string FormatNumber(const std::string& text, const TDbfFieldEntry& f, const std::string& where) {
  if (text.empty()) return std::string(f.length, ' ');
  char* end = nullptr;
  const long double v = std::strtold(text.c_str(), &end);
  if (*end != '\0' || text.find_first_not_of("+-0123456789.eE") != std::string::npos)
    Fail(where, "\"" + text + "\" is not a number");
  char buf[64];
  std::snprintf(buf, sizeof buf, "%*.*Lf", static_cast<int>(f.length), static_cast<int>(f.decimals), v);
  std::string s = buf;
  if (s.size() > f.length) Fail(where, "\"" + text + "\" does not fit " + std::to_string(f.length) + " characters");
  return s;
}

std::string FormatValue(const std::string& text, const TDbfFieldEntry& f, const std::string& where) {
  switch (f.type) {
    case 'N':
    case 'F': return FormatNumber(text, f, where);
    case 'D':
      if (!text.empty() && (text.size() != 8 || text.find_first_not_of("0123456789") != std::string::npos))
        Fail(where, "\"" + text + "\" is not a date YYYYMMDD");
      return text.empty() ? std::string(8, ' ') : text;
    case 'L':
      if (text.size() > 1 || (text.size() == 1 && std::string("TFYN?tfyn").find(text) == std::string::npos))
        Fail(where, "\"" + text + "\" is not a logical value");
      return text.empty() ? std::string(" ") : text;
    default: {
      std::string s = ToCodePage437(text, where);
      if (s.size() > f.length) Fail(where, "\"" + text + "\" is longer than " + std::to_string(f.length) + " characters");
      return s + std::string(f.length - s.size(), ' ');
    }
  }
}

void CheckEngine(const std::string& what) {
  if (TzLastError != 0) Fail(what, "table engine error " + std::to_string(TzLastError) + " " + TakeErrorDetail());
}

void WriteTable(const std::string& path, const std::vector<TDbfFieldEntry>& fields,
                const std::vector<std::vector<std::string>>& rows) {
  ErrorDispatchOff quiet;
  TDbfWorkArea wa;
  wa.oem = true;  // the header names code page 437, the values' code page
  CreateDbf(wa, path, static_cast<int>(fields.size()), fields.data());
  CheckEngine(path + " (create)");
  wa = TDbfWorkArea{};
  wa.fileName = path;
  wa.oem = false;
  OpenDbf(wa);
  CheckEngine(path + " (open)");
  for (const auto& row : rows) {
    std::string record = " ";
    for (const std::string& v : row) record += v;
    std::copy(record.begin(), record.end(), wa.recordBuffer.begin());
    AppendDbfRecord(wa);
    CheckEngine(path + " (append)");
  }
  CloseDbf(wa);
  CheckEngine(path + " (close)");
}

// The stamp is written before the table is renamed into place, and names the
// table that was in place as well, so that a build cut short between the two
// leaves no table of its own taken for the user's.
void WriteStamp(const std::string& path, const TableStamp& stamp) {
  const std::string temp = path + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << kTableStampHeader << "\n" << stamp.source << "\n";
    for (const std::string& t : stamp.tables) out << t << "\n";
    out.close();
    if (!out) {
      std::remove(temp.c_str());
      Fail(path, "cannot be written");
    }
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    std::remove(temp.c_str());
    Fail(path, "cannot be replaced");
  }
}

std::string NameOf(const std::string& path) { return std::filesystem::path(path).filename().string(); }

void Note(const std::string& text) { std::cout << "bq4_mktables: " << text << "\n" << std::flush; }

void MoveInto(const std::string& from, const std::string& to) {
  if (std::rename(from.c_str(), to.c_str()) != 0) {
    std::remove(from.c_str());
    Fail(to, "cannot be replaced");
  }
}

// Puts the table just written to temp into place, or beside a table the user
// changed (see the head of this file).
void PlaceTable(const std::string& temp, const std::string& target, const std::string& sourceBytes) {
  std::string built;
  if (!ReadTableBytes(temp, built)) {
    std::remove(temp.c_str());
    Fail(temp, "cannot be read back");
  }
  TableStamp next;
  next.source = TableFingerprint(sourceBytes);
  next.tables = {TableContentPrint(built)};
  const std::string stampPath = target + ".built";
  const std::string newPath = target + ".new";
  std::error_code ec;
  const bool present = std::filesystem::exists(target, ec);
  std::string presentBytes;
  if (present && !ReadTableBytes(target, presentBytes)) {
    std::remove(temp.c_str());
    Fail(target, "cannot be read");
  }
  TableStamp stamp;
  const std::string presentPrint = present ? TableContentPrint(presentBytes) : std::string();
  if (!present) {
    // a new table, or one the user deleted to take the new one
  } else if (presentPrint == next.tables[0]) {
    // it holds what the new one holds: nothing of the user's to keep
  } else if (!ReadTableStamp(stampPath, stamp)) {
    const std::string oldPath = target + ".old";
    std::filesystem::copy_file(target, oldPath, std::filesystem::copy_options::overwrite_existing, ec);
    if (ec) {
      std::remove(temp.c_str());
      Fail(oldPath, "cannot be written: " + ec.message());
    }
    Note(NameOf(target) + " differs from its source and its build left no stamp: replaced, the previous table is " +
         NameOf(oldPath));
  } else if (!stamp.Built(presentBytes)) {
    if (next.source == stamp.source) {
      std::remove(temp.c_str());
      Note(NameOf(target) + " was changed after it was built: kept");
    } else {
      MoveInto(temp, newPath);
      Note(NameOf(target) + " was changed after it was built: kept; the table built from its newer source is " +
           NameOf(newPath) + " (rename it to " + NameOf(target) + ", or delete " + NameOf(target) +
           " and build again, to take it)");
    }
    return;
  } else {
    next.tables.push_back(presentPrint);
  }
  try {
    WriteStamp(stampPath, next);
  } catch (const Failure&) {
    std::remove(temp.c_str());
    throw;
  }
  MoveInto(temp, target);
  std::filesystem::remove(newPath, ec);
}

void MakeTable(const std::string& source, const std::string& target) {
  std::string sourceBytes;
  if (!ReadTableBytes(source, sourceBytes)) Fail(source, "cannot be read");
  std::istringstream in(sourceBytes);
  int line = 1;
  std::vector<std::string> cells;
  if (!ReadCsvRecord(in, cells, line)) Fail(source, "is empty");
  std::vector<TDbfFieldEntry> fields;
  for (const std::string& def : cells) fields.push_back(ParseFieldDefinition(def, source + ":1"));

  std::vector<std::vector<std::string>> rows;
  int rowLine = line;
  while (ReadCsvRecord(in, cells, line)) {
    const std::string where = source + ":" + std::to_string(rowLine);
    rowLine = line;
    if (cells.size() == 1 && cells[0].empty()) continue;  // blank line
    if (cells.size() != fields.size())
      Fail(where, std::to_string(cells.size()) + " fields, the definition has " + std::to_string(fields.size()));
    std::vector<std::string> row;
    for (std::size_t i = 0; i < fields.size(); ++i) row.push_back(FormatValue(cells[i], fields[i], where));
    rows.push_back(std::move(row));
  }

  const std::string temp = target + ".tmp.dbf";
  std::remove(temp.c_str());
  try {
    WriteTable(temp, fields, rows);
  } catch (const Failure&) {
    std::remove(temp.c_str());
    throw;
  }
  PlaceTable(temp, target, sourceBytes);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: bq4_mktables source.csv target.dbf\n";
    return 2;
  }
  InitDbfErrors();
  InitDbfFile();
  try {
    MakeTable(argv[1], argv[2]);
  } catch (const Failure& f) {
    std::cerr << "bq4_mktables: " << f.text << "\n";
    return 1;
  }
  return 0;
}
