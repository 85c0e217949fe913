#include "calc/project_file.h"

#include <cstdint>

#include "calc/calc_tables.h"
#include "calc/calculation.h"
#include "calc/joint_records.h"
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
  void C(Byte& b) { WriteCharLine(static_cast<char>(b)); }
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
};

// Reads the fields in file order. Once the file has ended or a fault was
// found every further field is left as it is.
struct FileReader {
  static constexpr bool reading = true;
  explicit FileReader(TLineCursor& cursor) : in(cursor) {}
  TLineCursor& in;

  bool Live() const { return !in.AtEnd() && !in.Damaged(); }
  void Lit(std::string_view text) {
    if (Live()) in.Keyword(text);
  }
  void I(Word& n) {
    if (Live()) in.Word16(n);
  }
  void I(std::int32_t& n) {
    if (Live()) in.Int(n);
  }
  void F(Extended& x) {
    if (Live()) in.Float(x);
  }
  void ZeroLine() {
    Extended ignored = 0;
    F(ignored);
  }
  template <typename S>
  void T(S& s) {
    if (Live()) in.Text(s);
  }
  void C(Byte& b) {
    if (Live()) in.Char(b);
  }
  void Count(Word& n, int max) {
    Word v = n;
    if (!Live() || !in.Word16(v)) return;
    if (v > max) {
      in.Fault("count " + std::to_string(v) + " above " + std::to_string(max));
      return;
    }
    n = v;
  }
  void ChangesSection() {
    if (Live()) ReadChangesSection(in);
  }
  void DocumentsSection() {
    if (Live()) ReadDocumentsSection(in);
  }
  bool Optional(std::string_view keyword) {
    if (!Live() || in.RestIsBlank()) return false;
    Lit(keyword);
    return !in.Damaged();
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
}

// Everything a project load replaces, so that a failed load can put it back.
struct ProjectState {
  SCHRAUBTYPE schraube = Schraube;
  GEWINDE_Record gewinde = Gewinde;
  KLEMMSTUECKTYPE klemm = Klemmstuecke;
  LASTTYPE last = Last;
  VERBINDUNGTYPE verbindung = Verbindung;
  SACKLOCHTYPE sackloch = Sackloch;
  REIBUNGTYPE reibung = Reibung;
  MONTAGETYPE montage = Montage;
  MUTTERTYPE mutter = Mutter;
  CALCOPTIONSTYPE options = CalcOptions;
  EXZTYPE exz = ExzKraftangriff;
  FLANSCHTYPE flansch = Flansch;
  MAT_BOLT_Record matBolt = MatBolt;
  MUTTERMATTYPE matMutter = MatMutter;
  TEMPERATURTYPE temperatur = Temperatur;
  Extended fase = Fase;
  ANZIEH_Record anzieh = Anzieh;
  int printMacro = PrintMacroSelection;
  decltype(Changes) changes = Changes;
  Word changeCount = ChangeCount;
  ShortString<15> replacementFor = ReplacementFor, replacedBy = ReplacedBy;
  ShortString<10> dates[8] = {ComplDate, ComplName, CheckDate, CheckName,
                              StandDate, StandName, Row4Date, Row4Name};
  decltype(DrawingTexts) drawingTexts = DrawingTexts;
  Word drawingTextCount = DrawingTextCount;
  ShortString<18> drawingNumber = DrawingNumber;
  ShortString<25> drawingName = DrawingName;
  ShortString<30> drawingName2 = DrawingName2;
  decltype(Documents) documents = Documents;

  void Restore() const {
    Schraube = schraube;
    Gewinde = gewinde;
    Klemmstuecke = klemm;
    Last = last;
    Verbindung = verbindung;
    Sackloch = sackloch;
    Reibung = reibung;
    Montage = montage;
    Mutter = mutter;
    CalcOptions = options;
    ExzKraftangriff = exz;
    Flansch = flansch;
    MatBolt = matBolt;
    MatMutter = matMutter;
    Temperatur = temperatur;
    Fase = fase;
    Anzieh = anzieh;
    PrintMacroSelection = printMacro;
    Changes = changes;
    ChangeCount = changeCount;
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
  }
};

// Start values of everything a project file holds, so that a short file
// leaves no value of the previous project behind.
void ResetProjectInputs() {
  InitCalcDefaults();
  Anzieh = ANZIEH_Record{};
  PrintMacroSelection = 0;
  InitChangeHistory();
  InitDocuments();
}

// The table rows of the loaded joint (thread, head, nut, bolt material,
// tightening tool, plate materials) read again by their remembered row
// numbers, for the texts and values the report takes from them. What the
// file holds wins over the tables; an older file takes from them what it
// does not hold. A missing table or row changes nothing.
void RefreshTableRows() {
  const ProjectState file;
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
  file.Restore();
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
  const std::string n(name);
  const std::size_t slash = n.rfind('/');
  const std::string base = slash == std::string::npos ? n : n.substr(slash + 1);
  if (base.find('.') != std::string::npos) return n;
  const std::string withExt = n + "." + InputFileExt.str();
  return slash == std::string::npos ? AddBackslash(CurrentDir) + withExt : withExt;
}

void WriteCalcFile(std::string_view fileName) {
  // An empty name asks for one; an existing file is confirmed before it is replaced.
  std::string path;
  SelectFileName(fileName.empty() ? std::string() : ProjectFilePath(fileName), path);
  if (AbortFlag) return;
  AssignTextFile(TextFileVar, path);
  if (!TextFileVar.Rewrite()) {
    ReportLoadFailure("file " + path + " cannot be created");
    return;
  }
  WriteFileHeader();
  FileWriter out;
  ProjectFields(out);
  TextFileVar.Close();  // a failed write is reported there and sets AbortFlag
  RestoreCursor();
}

bool ReadCalcLines(std::vector<std::string> lines, std::string& error) {
  std::size_t first = 0;
  while (first < lines.size() && TrimRightText(lines[first]) != "SCHRAUBE") ++first;
  if (first == lines.size()) {
    error = "no section SCHRAUBE: not a project file";
    return false;
  }
  lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(first));
  const ProjectState before;
  ResetProjectInputs();
  g_furtherInputsRead = false;
  TLineCursor cursor(std::move(lines));
  FileReader in(cursor);
  ProjectFields(in);
  if (cursor.Damaged()) {
    error = "damaged project file, " + cursor.FaultText();
    before.Restore();
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
  std::vector<std::string> lines;
  std::string error;
  if (!LoadTextLines(path, lines, error)) {
    ReportLoadFailure(error);
    return;
  }
  if (!ReadCalcLines(std::move(lines), error)) {
    ReportLoadFailure(path + ": " + error);
    return;
  }
  CurrentDir = ExtractDirPart(path);
  CurrentFileName = StripPathAndExt(path);
  RefreshTableRows();
  AbortFlag = 0;
  CalculateJoint();
}
