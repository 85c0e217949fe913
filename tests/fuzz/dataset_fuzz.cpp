// libFuzzer target of the dataset layer that the table dialog and the
// calculation's tables go through: a table of arbitrary bytes is opened as a
// dataset, every field of every record read in each of its forms, forwards
// and backwards, then a record is appended and edited. The layer reports a
// damaged table by raising one of its two errors, and nothing else escapes.
#include "engine_start.h"

#include "dbf/datasets_file.h"

namespace {

void ReadRecord(TTzDbf& table) {
  for (int f = 0; f < table.FieldCount(); ++f) {
    const platform::TField& field = table.Fields(f);
    (void)field.DisplayText();
    if (field.DataType() == platform::TFieldType::Memo) continue;
    (void)field.AsFloat();
    (void)field.AsInteger();
    (void)field.AsBoolean();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  EngineFuzzStart();
  SetErrorDispatch(true);
  SetRaiseErrors(true);
  const std::string path = WriteFuzzFile(FuzzPath("dataset.dbf"), data, size);
  TTzDbf table("fuzz");
  table.ShowProgress = false;
  table.CreateIfNotFound = false;
  table.AutoFixRecCount = size % 2 == 0;
  try {
    table.SetDbfFileName(path);
    table.SetActive(true);
    int steps = 0;
    for (table.First(); !table.Eof() && steps < 1000; table.Next(), ++steps) ReadRecord(table);
    for (table.Last(); !table.Bof() && steps < 2000; table.Prior(), ++steps) ReadRecord(table);
    (void)table.RecordCount();
    table.Append();
    if (table.FieldCount() > 0 && table.Fields(0).DataType() == platform::TFieldType::String)
      table.Fields(0).SetAsString("fuzz");
    table.Post();
    table.First();
    if (!table.Eof()) {
      table.Edit();
      table.Cancel();
    }
  } catch (const EDederError&) {
  } catch (const platform::EDatabaseError&) {
  }
  try {
    table.SetActive(false);
  } catch (const EDederError&) {
  } catch (const platform::EDatabaseError&) {
  }
  SetRaiseErrors(false);
  SetErrorDispatch(false);
  CloseAll();
  return 0;
}
