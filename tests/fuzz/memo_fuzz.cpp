// Memo reading on arbitrary memo files: the first byte picks the memo kind,
// the rest is the memo file beside a small table whose records point at
// blocks 1 to 8. Every memo is read as lines, as text and as a BLOB, then a
// memo is added and the file packed.
#include "engine_start.h"

#include "dbf/blob_streams.h"
#include "dbf/dbf_file.h"
#include "dbf/errors.h"
#include "dbf/memo.h"
#include "dbf/runtime.h"
#include "dbf/work_areas.h"
#include "platform/os.h"

namespace {

const std::uint8_t kKinds[] = {kMemoDbase3, kMemoDbase4, kMemoLevel7, kMemoFoxPro};

std::string TableFor(std::uint8_t kind) {
  return platform::ProcessTempDir() + "/fuzz" + std::to_string(kind) + ".dbf";
}

// The tables as created, written back before every input so that each run
// starts alike (a pack rewrites the block numbers).
std::string Tables[4];

void CreateTables() {
  for (std::uint8_t kind : kKinds) {
    CreateVersionByte = kind;
    TDbfFieldEntry f[] = {{"NAME", 'C', 4}, {"NOTES", 'M', 10}};
    TDbfWorkArea wa;
    CreateDbf(wa, TableFor(kind), 2, f);
    Use(TableFor(kind) + " EXCLUSIVE");
    for (int i = 1; i <= 8; ++i) {
      ClearRecord();
      SetFieldValue(2, i % 2 == 0 ? i : -i);
      Append();
    }
    CloseAll();
  }
  for (int i = 0; i < 4; ++i) Tables[i] = ReadFuzzFile(TableFor(kKinds[i]));
  CreateVersionByte = 0x8B;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  EngineFuzzStart();
  static const bool created = (CreateTables(), true);
  (void)created;
  if (size < 1) return 0;
  std::uint8_t kind = kKinds[data[0] % 4];
  std::string table = TableFor(kind);
  WriteFuzzFile(table, Tables[data[0] % 4].data(), Tables[data[0] % 4].size());
  WriteFuzzFile(ForceExtension(table, MemoExtension(kind)), data + 1, size - 1);

  Use(table + " EXCLUSIVE");
  if (TzLastError == 0) {
    for (int i = 1; i <= 8; ++i) {
      Go(i);
      auto block = static_cast<std::int32_t>(GetFieldValue(2));
      std::string text;
      ReadMemoData(block, text);
      // No read gives more bytes than the memo file holds.
      if (text.size() > size - 1) __builtin_trap();
      GetMemo(block);
      MemoAsText(block, text);
      if (CreateBlobDescriptor(true, block, 1) != 0) {
        char buf[300];
        SeekBlobStream(0, 2);
        SeekBlobStream(3, 0);
        while (ReadBlobStream(buf, sizeof buf) > 0) {
        }
        DestroyBlobDescriptor();
      }
    }
    AddMemo("fuzz");
    PackMemofile();
  }
  CloseAll();
  return 0;
}
