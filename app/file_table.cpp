#include "app/file_table.h"

#include "app/forms/preview_form.h"
#include "app/main_window.h"
#include "app/project_files.h"
#include "calc/designation.h"
#include "calc/joint_records.h"
#include "calc/project_file.h"
#include "framework/charset.h"
#include "framework/drawing.h"
#include "framework/drawing_info.h"
#include "framework/file_utils.h"
#include "framework/globals.h"
#include "framework/message_box.h"
#include "framework/number_format.h"
#include "framework/text_utils.h"
#include "framework/units.h"
#include "platform/binary_file.h"
#include "platform/dialogs.h"

namespace {

std::string Fix2(Extended v) { return FloatToTextFix(2, v); }
std::string Trimmed(const std::string& s) {
  const std::size_t a = s.find_first_not_of(' ');
  return a == std::string::npos ? std::string() : TrimRightText(s.substr(a));
}

}  // namespace

std::vector<std::string> FileTableHeaders() {
  const std::string len = LengthUnitText();
  const std::string force = ForceUnitText();
  const std::string moment = MomentUnitText();
  return {"File", "Date  y/m/d", "No", "Name", "Info1", "Info2", "Info3", "Bolt",
          "d " + len, "L bolt " + len, "Lk " + len, "FAmax " + force, "FAmin " + force, "FQ " + force,
          "FKreq " + force, "FKmin " + force, "MAmax " + moment, "MAmin " + moment, "FM,max " + force,
          "FM,min " + force, "nue Rp", "alphaA", "mue_G", "mue_K", "mue_Tr", "n plates", "S loosen",
          "SF", "SD", "Sp", "SG"};
}

std::vector<std::string> FileTableRow(const std::string& fileName, const std::string& dateText) {
  return {fileName,
          dateText,
          DrawingNumber.str(),
          DrawingName.str(),
          HeaderLines[1].str(),
          HeaderLines[2].str(),
          HeaderLines[3].str(),
          BoltDesignation(),
          Trimmed(LengthToTextFmt(3, 2, Gewinde.d)),
          Trimmed(LengthToTextFmt(3, 1, Schraube.l)),
          Trimmed(LengthToTextFmt(3, 1, Klemmstuecke.lK)),
          Trimmed(ForceToText(Last.FAmax)),
          Trimmed(ForceToText(Last.FAmin)),
          Trimmed(ForceToText(Last.FQ)),
          Trimmed(ForceToText(Last.FKreq)),
          Trimmed(ForceToText(Last.FKRo)),
          Trimmed(MomentToText(Last.MA)),
          Trimmed(MomentToText(TighteningShown().MAmin)),
          Trimmed(ForceToText(Last.FMreqMax)),
          Trimmed(ForceToText(Last.FMreq)),
          Fix2(Montage.nu),
          Fix2(Montage.alphaA),
          Fix2(Reibung.muGmin),
          Fix2(Reibung.muKmin),
          Fix2(Reibung.muTr),
          std::to_string(Klemmstuecke.nPlates),
          Fix2(Safety.SFM),
          Fix2(Safety.SF),
          Fix2(Safety.SD),
          Fix2(Klemmstuecke.SPmin),
          Fix2(Safety.SG)};
}

std::vector<std::string> UnreadableFileTableRow(const std::string& fileName, const std::string& dateText) {
  std::vector<std::string> row(kFileTableColumns);
  row[0] = fileName;
  row[1] = dateText;
  row[3] = kFileNotRead;
  return row;
}

void ClearFileTableResults(std::vector<std::string>& row) {
  for (int c : {15, 18, 19, 27, 28, 29, 30}) row[static_cast<std::size_t>(c)].clear();
  row[26] = kCalculationStopped;
}

void QuickSortStringsRange(int first, int last, std::vector<std::string>& strings, std::vector<int>& indexes) {
  const std::string pivot = strings[static_cast<std::size_t>((first + last) / 2)];
  int i = first;
  int j = last;
  do {
    while (strings[static_cast<std::size_t>(i)] < pivot) ++i;
    while (pivot < strings[static_cast<std::size_t>(j)]) --j;
    if (i <= j) {
      std::swap(strings[static_cast<std::size_t>(i)], strings[static_cast<std::size_t>(j)]);
      std::swap(indexes[static_cast<std::size_t>(i)], indexes[static_cast<std::size_t>(j)]);
      ++i;
      --j;
    }
  } while (i <= j);
  if (j > first) QuickSortStringsRange(first, j, strings, indexes);
  if (i < last) QuickSortStringsRange(i, last, strings, indexes);
}

void QuickSortStrings(std::vector<std::string>& strings, std::vector<int>& indexes, int first, int last) {
  if (first > last) return;
  if (indexes.size() < static_cast<std::size_t>(last + 1)) indexes.resize(static_cast<std::size_t>(last + 1));
  for (int k = first; k <= last; ++k) indexes[static_cast<std::size_t>(k)] = k;
  QuickSortStringsRange(first, last, strings, indexes);
}

void FillFileTable(Thh& window, TForm_preview& form) {
  form.SetHeaders(FileTableHeaders());
  const std::string dir = AddBackslash(CurrentDir);
  const std::string folder = dir.empty() ? "./" : dir;
  for (const std::string& file : MatchingFiles(folder, "*." + InputFileExt.str())) {
    // Only files are projects: a folder or FIFO of that name gets no row.
    if (!platform::FileExists(folder + file)) continue;
    SetBusyCursor();
    window.SetCaptionText(ProgTitle.str() + " -> " + Utf8ToAnsi(file));
    // A file that cannot be read keeps a marked row, without a message for
    // each: opening it says why.
    const Byte trace = TraceMessagesOn;
    TraceMessagesOn = 0;
    ReadCalcFile(dir + file);
    TraceMessagesOn = trace;
    const std::string date = FileDateText(FileModificationTime(dir + file));
    // The records still hold the joint read before: such a row shows none
    // of its numbers, nor results that a stopped calculation did not reach.
    if (AbortFlag) {
      form.AddRow(UnreadableFileTableRow(file, date));
    } else {
      // The load calculated the joint: its results are current for what it
      // now holds, which the window needs not calculate (and report) again.
      window.NoteCalculated();
      std::vector<std::string> row = FileTableRow(file, date);
      if (CalcFatalFlag) ClearFileTableResults(row);
      form.AddRow(row);
    }
    AbortFlag = 0;
  }
  RestoreCursor();
}

void OpenFileTableRow(Thh& window, const TForm_preview& form) {
  // A file that cannot be read leaves the project in memory under its own
  // name, so that a save cannot put it over that file; the user is told why.
  ReadCalcFile(AddBackslash(CurrentDir) + form.CellText(0, form.SelectedRow()));
  if (AbortFlag) {
    if (!FileErrorsShown()) ShowError(LastFileErrorText());
    AbortFlag = 0;  // the table stays open
    return;
  }
  window.NoteCalculated();
  InputModified = 0;
  window.ApplyMenuCaptions();
  window.UpdateAfterCalculation();
  window.SetMainCaption();
}

void RunFileTable(Thh& window) {
  AbortFlag = 0;
  QuerySaveChanges();
  if (AbortFlag) return;
  CurrentFileName.clear();
  GraphClear();
  TForm_preview form(&window);
  FillFileTable(window, form);
  do {
    AbortFlag = 0;
    platform::ExecModal(form, "TForm_preview");
    if (AbortFlag || form.SelectedRow() <= 0) break;
    OpenFileTableRow(window, form);
  } while (!AbortFlag);
  // The messages item counts those of the joint now in memory.
  window.ShowMessageCount();
  window.SetMainCaption();
}
