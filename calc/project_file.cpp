#include "calc/project_file.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "calc/calc_tables.h"
#include "calc/calculation.h"
#include "calc/joint_records.h"
#include "calc/joint_state.h"
#include "calc/table_rows.h"
#include "framework/change_history.h"
#include "framework/documents.h"
#include "framework/file_utils.h"
#include "framework/file_values.h"
#include "framework/globals.h"
#include "framework/input_dialogs.h"
#include "framework/message_box.h"
#include "framework/line_io.h"
#include "framework/text_utils.h"

namespace {

constexpr std::string_view kFurtherInputs = "FURTHER INPUTS";
// The last line the writer writes: a file without it was cut short or is
// older than the mark.
constexpr std::string_view kEndMark = "END OF PROJECT";

// Whether the file last read held the section kFurtherInputs.
bool g_furtherInputsRead = false;

// Writes the fields in file order to TextFileVar.
struct FileWriter {
  static constexpr bool reading = false;
  void Lit(std::string_view text) { WriteTextLine(text); }
  void I(Word& n) { WriteIntLine(n); }
  void I(std::int32_t& n) { WriteIntLine(n); }
  void F(Extended& x) { WriteTextLine(FileFloatText(x)); }
  void ZeroLine() { WriteTextLine("0"); }
  // A text line cannot hold a line break: CR and LF are written as blanks,
  // so that the lines after it stay in step.
  static std::string OneLine(std::string_view s) {
    std::string line(s);
    for (char& c : line)
      if (c == '\r' || c == '\n') c = ' ';
    return line;
  }
  void T(std::string& s) { WriteTextLine(OneLine(s)); }
  template <std::size_t N>
  void T(ShortString<N>& s) { WriteTextLine(OneLine(s.view())); }
  // Flags as the digits "0" and "1", which the reader takes for the bytes 0
  // and 1, so that no line holds a NUL or other control byte. Every flag is
  // read as on or off, so any other value is written as on.
  void C(Byte& b) { WriteTextLine(b ? "1" : "0"); }
  void Count(Word& n, int max) {
    if (n > max) n = static_cast<Word>(max);
    WriteIntLine(n);
  }
  void ChangesSection() { WriteChangesSection(); }
  void DocumentsSection() { WriteDocumentsSection(); }
  // Marks the start of a part that older files do not have.
  bool Optional(std::string_view keyword) {
    WriteTextLine(keyword);
    return true;
  }
  void LayoutEnd() {}
  void EndMark() { WriteTextLine(kEndMark); }
};

// Collects the fields in file order into one text, without the change
// history and the document list, which no result depends on.
struct InputCollector {
  static constexpr bool reading = false;
  std::string text;
  void Line(std::string_view s) {
    text.append(s);
    text += '\n';
  }
  void Lit(std::string_view s) { Line(s); }
  void I(Word& n) { Line(std::to_string(n)); }
  void I(std::int32_t& n) { Line(std::to_string(n)); }
  void F(Extended& x) { Line(FileFloatText(x)); }
  void ZeroLine() { Line("0"); }
  void T(std::string& s) { Line(s); }
  template <std::size_t N>
  void T(ShortString<N>& s) { Line(s.view()); }
  void C(Byte& b) { Line(b ? "1" : "0"); }
  void Count(Word& n, int max) { Line(std::to_string(std::min<int>(n, max))); }
  void ChangesSection() {}
  void DocumentsSection() {}
  bool Optional(std::string_view keyword) {
    Line(keyword);
    return true;
  }
  void LayoutEnd() {}
  void EndMark() {}
};

// Reads the fields in file order. Once the file has ended or a fault was
// found every further field is left as it is. A file may end only where an
// older layout ended (after the document list, after the unnamed tail, after
// the further inputs); one that ends anywhere else was cut short.
struct FileReader {
  static constexpr bool reading = true;
  explicit FileReader(TLineCursor& cursor) : in(cursor) {}
  TLineCursor& in;
  bool ended = false;   // the file ended, where a layout may end or not
  bool cut = false;     // it ended inside the layout
  bool marked = false;  // the file holds the end mark
  bool layoutWhole = false;  // it ends where the unnamed tail ends, as the layout does
  std::string part;     // the part being read, for the message

  bool Live() const { return !ended && !in.Damaged(); }
  // True when the next field is there to read; at the end of the file
  // records that the file was cut inside the layout.
  bool Next() {
    if (!Live()) return false;
    if (in.AtEnd()) {
      ended = cut = true;
      return false;
    }
    return true;
  }
  void Lit(std::string_view text) {
    if (!Next()) return;
    if (text.rfind("ABSCHNITT", 0) != 0) part = "section \"" + std::string(text) + "\"";
    in.Keyword(text);
  }
  void I(Word& n) {
    if (Next()) in.Word16(n);
  }
  void I(std::int32_t& n) {
    if (Next()) in.Int(n);
  }
  // A larger number is a damaged line that would overflow the calculation.
  void F(Extended& x) {
    Extended v = x;
    if (!Next() || !in.Float(v)) return;
    if (std::fabs(v) > kLargestStoredNumber) {
      in.Fault("number out of range, found \"" + FileFloatText(v) + "\"");
      return;
    }
    x = v;
  }
  void ZeroLine() {
    Extended ignored = 0;
    F(ignored);
  }
  template <typename S>
  void T(S& s) {
    if (Next()) in.Text(s);
  }
  void C(Byte& b) {
    if (Next()) in.Flag(b);
  }
  void Count(Word& n, int max) {
    Word v = n;
    if (!Next() || !in.Word16(v)) return;
    if (v > max) {
      in.Fault("count " + std::to_string(v) + " above " + std::to_string(max));
      return;
    }
    n = v;
  }
  // The two sections read themselves; false without a fault means the file
  // ended inside them.
  void ChangesSection() {
    if (!Next()) return;
    part = "section \"CHANGES\"";
    if (!ReadChangesSection(in) && !in.Damaged()) ended = cut = true;
  }
  void DocumentsSection() {
    if (!Next()) return;
    part = "section \"documents\"";
    if (!ReadDocumentsSection(in) && !in.Damaged()) ended = cut = true;
    if (Live()) part = "the unnamed tail after \"documents\"";
  }
  // Where an older layout ended: nothing but blank lines may follow.
  void LayoutEnd() {
    if (Live() && in.RestIsBlank()) ended = true;
  }
  bool Optional(std::string_view keyword) {
    const bool reached = Live();
    LayoutEnd();
    layoutWhole = reached && ended;
    if (!Live()) return false;
    Lit(keyword);
    return !in.Damaged();
  }
  // After the further inputs: the end mark, or the end of an unmarked file.
  void EndMark() {
    LayoutEnd();
    if (!Live()) return;
    marked = in.Keyword(kEndMark);
  }
};

// Every stored field in file order; the writer and the reader both run
// through it, so the reader is the writer's exact inverse.
template <typename IO>
void ProjectFields(IO& io) {
  SCHRAUBTYPE& s = Schraube;
  KLEMMSTUECKTYPE& k = Klemmstuecke;
  LASTTYPE& l = Last;
  EXZTYPE& e = ExzKraftangriff;

  io.Lit("SCHRAUBE");
  io.I(s.HeadType);
  io.I(s.StrengthClassCode);
  io.I(s.ThreadRow);
  io.I(s.BoltType);
  io.F(s.l);
  io.F(s.b);
  io.T(MatBolt.StrengthClass);
  io.I(MatBolt.E);
  io.F(s.dK);
  io.F(s.dw);
  io.Count(s.nSections, kMaxBoltSections);
  for (int i = 0; i <= s.nSections; ++i) {
    io.Lit("ABSCHNITT " + std::to_string(i));
    io.F(s.lSec[i]);
    io.F(s.dSec[i]);
    io.F(s.diSec[i]);
    io.F(s.ASec[i]);
    io.F(s.deltaSec[i]);
  }

  io.Lit("KLEMMSTUECKE");
  io.Count(k.nPlates, kMaxPlates);
  io.F(k.lK);
  for (int i = 0; i <= k.nPlates; ++i) {
    io.Lit("ABSCHNITT " + std::to_string(i));
    io.F(k.De[i]);
    io.F(k.Di[i]);
    io.F(k.L[i]);
    io.F(k.E[i]);
    io.F(k.Aers[i]);
    io.F(k.deltaP[i]);
    io.T(k.Material[i]);
    io.I(k.Codes[i][0]);
  }

  io.Lit("LAST");
  io.I(l.LoadKind);
  io.I(l.LoadCase);
  io.F(l.FAmax);
  io.F(l.FQ);
  io.F(l.FM);
  io.F(l.MA);
  io.I(l.LoadIntroPos1);
  io.F(l.n1);
  io.I(l.LoadIntroPos2);
  io.F(l.n2);
  io.F(l.FKreq);

  io.Lit("GEWINDE");
  io.F(Gewinde.d);
  io.F(Gewinde.P);
  io.F(s.As);
  io.F(s.d3);
  io.T(Gewinde.Kind);

  io.Lit("VERBINDUNG");
  io.I(Verbindung.JointKind);
  io.F(Verbindung.fZ);

  io.Lit("REIBUNG");
  io.F(Reibung.muGmin);
  io.F(Reibung.muKmin);
  io.F(Reibung.muTr);

  io.Lit("MUTTER");
  io.I(Mutter.NutType);
  io.F(Mutter.dwNut);
  io.F(Mutter.m);

  io.Lit("MONTAGE");
  io.F(Montage.nu);
  io.I(Montage.TighteningRow);
  io.F(Montage.alphaA);
  io.F(Montage.PreloadScatter);

  io.Lit("SACKLOCH");
  io.F(Sackloch.tb);
  io.F(Sackloch.tg);

  io.Lit("EXZ.KRAFTANGRIFF");
  io.I(e.ExzCode);
  io.I(e.SeamPart);
  io.F(e.a);
  io.F(e.s);
  io.F(e.u);
  io.F(e.v);
  io.F(e.AD);
  io.F(e.IBT);
  io.F(e.IBers);
  io.F(e.IBersPrime);

  io.Lit("SONSTIGES");
  io.F(l.FAmin);
  io.I(Reibung.ThreadFrictionRow);
  io.I(Reibung.HeadFrictionRow);
  io.I(Reibung.InterfaceFrictionRow);
  io.I(Reibung.FrictionCode);
  io.I(Sackloch.HoleCode);
  io.I(Montage.GivenQuantity);
  io.I(MatBolt.Rp02);
  io.I(s.HeadRow);
  io.I(Mutter.NutRow);
  io.I(s.MatBoltRow);
  io.F(MatMutter.RmM);
  io.F(MatMutter.ReM);
  io.F(MatMutter.betaM);
  io.T(MatMutter.Name);
  io.I(Sackloch.NutMatRow);
  io.F(Temperatur.T0);
  io.F(Temperatur.TWork);
  for (int i = 1; i <= k.nPlates; ++i) io.F(k.alphaT[i]);
  io.F(MatBolt.alphaTBolt);
  io.I(l.EnduranceChoice);
  io.F(l.sigmaASV);
  io.I(l.MatSaRow);

  io.ChangesSection();
  io.DocumentsSection();
  io.LayoutEnd();  // older files end here

  // The unnamed tail.
  io.T(DrawingNumber);
  io.T(DrawingName);
  io.C(MatMutter.OwnNutMaterial);
  io.I(s.ToleranceClass);
  io.F(s.d2);
  io.F(s.d3);
  io.T(DrawingName2);
  io.I(Flansch.nBolts);
  io.F(Flansch.DT);
  io.F(Flansch.Da);
  io.F(Flansch.Value4);
  io.F(Flansch.Value5);
  io.F(Flansch.Value6);
  io.F(Montage.ktau);
  io.I(PrintMacroSelection);
  io.F(MatMutter.pGNut);
  io.F(l.FApre);
  io.I(CalcOptions.VdiEdition);
  io.T(Anzieh.Procedure);
  io.T(Anzieh.Tool);
  io.F(Reibung.muGmax);
  io.F(Reibung.muKmax);
  io.ZeroLine();
  io.F(Montage.sigmaFactor);
  io.I(Reibung.HeadFrictionTolRow);
  io.I(Reibung.ThreadFrictionTolRow);
  io.I(l.AlphaAChoice);
  io.F(l.MAmin);
  io.F(l.TorqueScatter);
  io.F(l.FMminGiven);
  io.F(l.Fpre);
  io.I(Montage.DriveSide);
  io.F(l.MApre);
  io.F(MatMutter.EM);
  io.F(MatMutter.betaMVdi);
  io.I(Mutter.NutToleranceClass);
  io.C(CalcOptions.EngageVelk);
  io.C(CalcOptions.EngageVdi);
  io.C(CalcOptions.FrictionTolerances);
  io.Lit("clamp.plates (description)");
  for (int i = 0; i <= k.nPlates; ++i) io.T(k.Description[i]);
  io.F(Mutter.dNut);
  io.I(Flansch.Value7);
  io.F(Flansch.Value8);
  io.F(Flansch.Value9);
  io.F(Flansch.Value10);
  io.F(Flansch.Value11);
  io.F(Flansch.Value12);
  io.F(s.dmin);
  io.I(Montage.TighteningMethod);
  io.C(CalcOptions.MApreOn);
  io.C(CalcOptions.FApreOn);
  io.C(CalcOptions.FpreOn);
  io.F(Fase);
  for (int i = 1; i <= k.nPlates; ++i) {
    io.I(k.MatTable[i]);
    io.I(k.Codes[i][1]);
    io.I(Sackloch.MatTable);
  }
  io.I(CalcOptions.D2D3Choice);
  io.C(CalcOptions.FSmaxOn);

  // Inputs the layout above does not hold; older files end before them.
  if (!io.Optional(kFurtherInputs)) return;
  if constexpr (IO::reading) g_furtherInputsRead = true;
  io.T(Gewinde.Designation);
  io.T(Gewinde.Column5);
  io.T(Gewinde.Column6);
  io.F(Gewinde.Column7);
  io.F(Gewinde.Column8);
  io.I(Gewinde.RowNo);
  io.I(MatBolt.Rm);
  io.F(MatBolt.betaB);
  io.F(MatBolt.betaBVdi);
  io.T(MatBolt.Comment1);
  io.T(MatBolt.Comment2);
  io.I(MatBolt.RowNo);
  io.F(l.FM);
  io.I(Sackloch.MatTable);
  for (int i = 1; i <= k.nPlates; ++i) {
    io.F(k.pmax[i]);
    io.F(k.Re[i]);
  }
  io.T(l.EnduranceMaterial);
  io.T(s.BoltText);
  io.EndMark();
}

// Everything a project load replaces or resets (the joint with its results
// and table rows, and the project's documentation), so that a failed load
// can put it back.
struct ProjectState {
  TJointState joint;
  int printMacro = PrintMacroSelection;
  decltype(Changes) changes = Changes;
  Word changeCount = ChangeCount;
  Word changeIndexStyle = ChangeIndexStyle;
  ShortString<15> replacementFor = ReplacementFor, replacedBy = ReplacedBy;
  ShortString<10> dates[8] = {ComplDate, ComplName, CheckDate, CheckName,
                              StandDate, StandName, Row4Date, Row4Name};
  decltype(DrawingTexts) drawingTexts = DrawingTexts;
  Word drawingTextCount = DrawingTextCount;
  ShortString<18> drawingNumber = DrawingNumber;
  ShortString<25> drawingName = DrawingName;
  ShortString<30> drawingName2 = DrawingName2;
  decltype(Documents) documents = Documents;
  Word documentCount = DocumentCount;
  decltype(HeaderLines) headerLines = HeaderLines;

  void Restore() const {
    joint.Restore();
    PrintMacroSelection = printMacro;
    Changes = changes;
    ChangeCount = changeCount;
    ChangeIndexStyle = changeIndexStyle;
    ReplacementFor = replacementFor;
    ReplacedBy = replacedBy;
    ComplDate = dates[0];
    ComplName = dates[1];
    CheckDate = dates[2];
    CheckName = dates[3];
    StandDate = dates[4];
    StandName = dates[5];
    Row4Date = dates[6];
    Row4Name = dates[7];
    DrawingTexts = drawingTexts;
    DrawingTextCount = drawingTextCount;
    DrawingNumber = drawingNumber;
    DrawingName = drawingName;
    DrawingName2 = drawingName2;
    Documents = documents;
    DocumentCount = documentCount;
    HeaderLines = headerLines;
  }
};

// Start values of everything a project file holds, so that a short file
// leaves no value of the previous project behind.
void ResetProjectInputs() {
  InitCalcDefaults();
  Anzieh = ANZIEH_Record{};
  PrintMacroSelection = 0;
  // The index style of the change protocol is a setting of the
  // configuration: a project load leaves it as configured.
  const Word indexStyle = ChangeIndexStyle;
  InitChangeHistory();
  ChangeIndexStyle = indexStyle;
  InitDocuments();
}

// The table rows of the loaded joint (thread, head, nut, bolt material,
// tightening tool, plate materials) read again by their remembered row
// numbers, for the texts and values the report takes from them. What the
// file holds wins over the tables; an older file takes from them what it
// does not hold. A missing table or row changes nothing.
void RefreshTableRows() {
  const TJointState file;
  const bool older = !g_furtherInputsRead;
  const Byte trace = TraceMessagesOn;
  TraceMessagesOn = 0;
  auto refresh = [](TCalcTableNo n) {
    AbortFlag = 0;
    FindCalcRecord(n);
  };
  refresh(kThreadTable);
  if (Schraube.HeadType >= 1 && Schraube.HeadType <= 8) refresh(Schraube.HeadType + 1);
  if (Verbindung.JointKind == kJointWithNut && Mutter.NutType >= 1 && Mutter.NutType <= 3)
    refresh(Mutter.NutType + 10);
  refresh(kTighteningTable);
  if (older) {
    refresh(kBoltMaterialTable);
    refresh(kPlateMaterialTable);
  }
  AbortFlag = 0;
  TraceMessagesOn = trace;

  const GEWINDE_Record gewinde = Gewinde;
  const MAT_BOLT_Record matBolt = MatBolt;
  const KLEMMSTUECKTYPE plates = Klemmstuecke;
  const ANZIEH_Record anzieh = Anzieh;
  file.RestoreRecords();
  Anzieh = file.anzieh;
  Anzieh.alphaA = anzieh.alphaA;
  Anzieh.Dispersion = anzieh.Dispersion;
  Anzieh.Text = anzieh.Text;
  if (!older) return;
  Gewinde.Designation = gewinde.Designation;
  Gewinde.Column5 = gewinde.Column5;
  Gewinde.Column6 = gewinde.Column6;
  Gewinde.Column7 = gewinde.Column7;
  Gewinde.Column8 = gewinde.Column8;
  Gewinde.RowNo = gewinde.RowNo;
  if (matBolt.StrengthClass == MatBolt.StrengthClass) {
    MatBolt.Rm = matBolt.Rm;
    MatBolt.betaB = matBolt.betaB;
    MatBolt.betaBVdi = matBolt.betaBVdi;
    MatBolt.Comment1 = matBolt.Comment1;
    MatBolt.Comment2 = matBolt.Comment2;
    MatBolt.RowNo = matBolt.RowNo;
  }
  for (int i = 1; i <= Klemmstuecke.nPlates; ++i) {
    Klemmstuecke.pmax[i] = plates.pmax[i];
    Klemmstuecke.Re[i] = plates.Re[i];
  }
}

void ReportLoadFailure(const std::string& text) {
  ReportFileError(text);
  AbortFlag = 1;
}

}  // namespace

std::string ProjectFilePath(std::string_view name) {
  const std::string given(name);
  if (!NameHoldsDot(given) || HasFileExtension(given, InputFileExt.view())) return ProjectFileOfName(given);
  // A name with another extension, or none after its dot, is the file of
  // that name (flange.bak, "a."); failing that, a project name with dots
  // ("joint.v2" for joint.v2.bq4).
  if (TextFileExists(given)) return given;
  const std::string project = ProjectFileOfName(given);
  return TextFileExists(project) ? project : given;
}

void WriteCalcFile(std::string_view fileName) {
  // An empty name asks for one; an existing file is confirmed before it is replaced.
  std::string path;
  // A save that fails leaves the project named as it was: the name chosen
  // in the dialog stands for no file yet.
  const std::string dir = CurrentDir, name = CurrentFileName, ext = CurrentFileExt;
  const auto keepName = [&] {
    CurrentDir = dir;
    CurrentFileName = name;
    CurrentFileExt = ext;
  };
  // The current project's name stands for its own file (joint.v2.bq4, flange.bak).
  SelectFileName(std::string(fileName), path);
  if (AbortFlag) return keepName();
  // The user's file is written under exactly its name, never over another
  // whose name differs only in case.
  TextFileVar.AssignUserFile(path);
  if (!TextFileVar.Rewrite()) {
    ReportLoadFailure("file " + path + " cannot be created");
    return keepName();
  }
  WriteFileHeader();
  FileWriter out;
  ProjectFields(out);
  TextFileVar.Close();  // a failed write is reported there and sets AbortFlag
  if (AbortFlag) keepName();
  RestoreCursor();
}

std::string ProjectInputText() {
  InputCollector inputs;
  ProjectFields(inputs);
  return inputs.text;
}

namespace {

// What the header block above "SCHRAUBE" tells: the version that wrote the
// file and the user's header lines (rule, title, version, rule, then up to
// three lines of the user).
struct HeaderBlock {
  bool currentVersion = false;
  std::array<std::string, 3> userLines;
};

HeaderBlock ReadHeaderBlock(const std::vector<std::string>& lines, std::size_t first) {
  HeaderBlock header;
  auto rule = [&](std::size_t i) {
    const std::string line = TrimRightText(lines[i]);
    return !line.empty() && line.find_first_not_of('-') == std::string::npos;
  };
  if (first < 4 || !rule(0) || !rule(3)) return header;
  header.currentVersion = TrimRightText(lines[2]) == "Version " + ProgVersion;
  for (std::size_t i = 4; i < first && i < 7; ++i) header.userLines[i - 4] = lines[i];
  return header;
}

// Lines of a project file; lastLineEnded is false when the data ended
// inside a line (a file cut short, unless it carries the end mark).
bool ReadProjectLines(std::vector<std::string> lines, bool lastLineEnded, std::string& error) {
  std::size_t first = 0;
  while (first < lines.size() && TrimRightText(lines[first]) != "SCHRAUBE") ++first;
  if (first == lines.size()) {
    error = "no section SCHRAUBE: not a project file";
    return false;
  }
  const std::size_t count = lines.size();
  const HeaderBlock header = ReadHeaderBlock(lines, first);
  const ProjectState before;
  ResetProjectInputs();
  for (int i = 1; i <= 3; ++i) HeaderLines[i] = header.userLines[static_cast<std::size_t>(i - 1)];
  g_furtherInputsRead = false;
  TLineCursor cursor(std::move(lines));
  // The header lines are passed over, so that faults name the file's own line numbers.
  for (std::string header; cursor.LineNo() < first;) cursor.Text(header);
  FileReader in(cursor);
  ProjectFields(in);
  if (cursor.Damaged()) {
    error = "damaged project file, " + cursor.FaultText();
  } else if (in.cut) {
    error = "damaged project file: it ends after line " + std::to_string(count) + " inside " + in.part +
            " (cut short?)";
  } else if (!lastLineEnded && !in.marked) {
    error = "damaged project file: line " + std::to_string(count) + " has no line end (cut short?)";
  } else if (header.currentVersion && !in.marked && !in.layoutWhole) {
    // This version ends every file with the mark, or, written in the layout
    // without the further inputs, with the unnamed tail: one that ends
    // elsewhere was cut where an older layout ended and would load with
    // defaults in its place.
    const std::string tail = g_furtherInputsRead ? "" : " without the unnamed tail after \"documents\" and";
    error = "damaged project file of version " + ProgVersion + ": it ends after line " + std::to_string(count) +
            tail + " without its last line \"" + std::string(kEndMark) + "\" (cut short?)";
  } else {
    return true;
  }
  before.Restore();
  return false;
}

// What is wrong with data that is no 8-bit text with LF or CR LF line ends;
// empty when nothing is.
std::string EncodingFault(std::string_view data) {
  const auto bom = [&](std::string_view mark) { return data.substr(0, mark.size()) == mark; };
  if (bom("\xFF\xFE") || bom("\xFE\xFF"))
    return "the file is in UTF-16 (Unicode); a project file is 8-bit text (code page 437)";
  // UTF-16 without a byte order mark: every other byte of the text is 0.
  const std::size_t probe = std::min<std::size_t>(data.size(), 64);
  std::size_t evenZero = 0, oddZero = 0;
  for (std::size_t i = 0; i < probe; ++i)
    if (data[i] == '\0') ++(i % 2 ? oddZero : evenZero);
  if (probe >= 8 && (evenZero * 2 >= probe - 1 || oddZero * 2 >= probe - 1) && evenZero != oddZero)
    return "the file is in UTF-16 (Unicode); a project file is 8-bit text (code page 437)";
  if (!data.empty() && data.find_first_not_of('\0') == std::string_view::npos)
    return "the file holds nothing but NUL bytes";
  if (data.find('\n') == std::string_view::npos && data.find('\r') != std::string_view::npos)
    return "its lines end in CR alone; a project file has CR LF (or LF) line ends";
  return {};
}

// The text with control characters shown as \xNN, so that a message never
// passes raw bytes of a damaged file on to the screen or a terminal.
std::string Printable(std::string_view text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) {
      out += "\\x";
      out += kHex[b >> 4];
      out += kHex[b & 15];
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

bool ReadCalcLines(std::vector<std::string> lines, std::string& error) {
  return ReadProjectLines(std::move(lines), true, error);
}

bool CheckCalcLines(std::vector<std::string> lines, std::string& error) {
  const ProjectState before;
  const bool further = g_furtherInputsRead;
  const bool read = ReadProjectLines(std::move(lines), true, error);
  before.Restore();
  g_furtherInputsRead = further;
  return read;
}

std::vector<bool> ProjectNumberLines(const std::vector<std::string>& lines) {
  std::vector<bool> numbers(lines.size(), false);
  std::size_t first = 0;
  while (first < lines.size() && TrimRightText(lines[first]) != "SCHRAUBE") ++first;
  if (first == lines.size()) return numbers;
  // Read as a load reads them, into the joint, which is put back after.
  const ProjectState before;
  const bool further = g_furtherInputsRead;
  TLineCursor cursor(lines);
  for (std::string header; cursor.LineNo() < first;) cursor.Text(header);
  cursor.MarkNumberLines(numbers);
  FileReader in(cursor);
  ProjectFields(in);
  before.Restore();
  g_furtherInputsRead = further;
  return numbers;
}

bool ReadCalcText(std::string_view data, std::string& error) {
  std::string fault = EncodingFault(data);
  if (!fault.empty()) {
    error = "not a readable project file: " + fault;
    return false;
  }
  // A UTF-8 byte-order mark that an editor put before the first line is no
  // part of it: the header block above "SCHRAUBE" is found by that line.
  constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
  if (data.substr(0, kUtf8Mark.size()) == kUtf8Mark) data.remove_prefix(kUtf8Mark.size());
  // A DOS end-of-file byte after the last line is no part of it.
  while (!data.empty() && data.back() == '\x1A') data.remove_suffix(1);
  // A last line without its line end was cut, unless it holds only blanks.
  const std::size_t lastLine = data.rfind('\n') + 1;  // 0 when there is no line end
  const bool ended = data.find_first_not_of(" \t\r", lastLine) == std::string_view::npos;
  if (!ReadProjectLines(SplitTextLines(data), ended, error)) {
    error = Printable(error);
    return false;
  }
  return true;
}

void ReadCalcFile(std::string_view fileName) {
  std::string path;
  if (fileName.empty()) {
    std::string dir = CurrentDir;
    SelectFileOfKind(5, dir, "*." + InputFileExt.str(), path);
    if (AbortFlag) return;
  } else {
    path = ProjectFilePath(fileName);
  }
  std::string data, error;
  if (!LoadTextBytes(path, data, error)) {
    ReportLoadFailure(error);
    return;
  }
  if (!ReadCalcText(data, error)) {
    ReportLoadFailure(path + ": " + error);
    return;
  }
  CurrentDir = ExtractDirPart(path);
  CurrentFileName = StripPathAndExt(path);
  CurrentFileExt = ProjectExtensionOf(path);
  RefreshTableRows();
  AbortFlag = 0;
  CalculateJoint();
}
