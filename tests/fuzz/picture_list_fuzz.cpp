// libFuzzer target: arbitrary bytes as the picture list (.dbh). It is read,
// shown, changed and written back, and must read back as written with no
// line lost.
#include "fuzz_common.h"

#include "framework/picture_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzStart();
  const std::string file = WriteFuzzFile(PictureListFileName(), data, size);
  TPictureList list;
  if (!LoadPictureList(file, list)) return 0;
  if (list.Count() < 1 || list.Count() > kMaxPictureEntries) __builtin_trap();
  FillPictureItemTexts(list);
  // One entry deleted and one inserted: as many lines as before, and one
  // where the file had none.
  const std::size_t lines = list.Lines.empty() ? 1 : list.Lines.size();
  DeletePictureEntry(list, 1);
  InsertPictureEntry(list, list.Count(), {"new", "entry"});
  ReplacePictureEntry(list, 1, {"first", "changed \"quoted\""});
  if (!SavePictureList(file, list)) return 0;
  TPictureList back;
  if (!LoadPictureList(file, back) || back.Lines != list.Lines || back.Lines.size() != lines) __builtin_trap();
  return 0;
}
