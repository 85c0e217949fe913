// libFuzzer target: arbitrary bytes as the picture list (.dbh). It is read,
// shown, changed and written back, and must read back as written.
#include "fuzz_common.h"

#include "framework/picture_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzStart();
  const std::string file = WriteFuzzFile(PictureListFileName(), data, size);
  TPictureList list;
  if (!LoadPictureList(file, list)) return 0;
  if (list.Count() > kMaxPictureEntries) __builtin_trap();
  FillPictureItemTexts(list);
  if (list.Count() >= 1) DeletePictureEntry(list, 1);
  InsertPictureEntry(list, list.Count(), {"new", "entry"});
  ReplacePictureEntry(list, 1, {"first", "changed \"quoted\""});
  if (!SavePictureList(file, list)) return 0;
  TPictureList back;
  if (!LoadPictureList(file, back) || back.Lines != list.Lines) __builtin_trap();
  return 0;
}
