// libFuzzer target: arbitrary bytes as a DXF block file, inserted into a
// CAD listing; blocks it inserts are the same file again, down to the
// deepest level.
#include "fuzz_common.h"

#include "cad/cad_output.h"
#include "cad/dxf_blocks.h"
#include "cad/init.h"
#include "framework/line_io.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzStart();
  InitCadModules();
  CadBatchMode = 1;
  CadState.CadDevice = kCadListing;
  CadState.CadFileName = FuzzPath("dxf_listing.txt");
  TextFileVar.Assign(CadState.CadFileName);
  if (!TextFileVar.Rewrite()) return 0;
  for (const char* name : {"F", "A", "B"}) WriteFuzzFile(CadBlockFileName(name), data, size);
  ResetInsertTransform();
  ReadDxfBlockFile("F", 1, 2, 30, 2, 0.5);
  TextFileVar.Close();
  if (CadState.CadInsertLevel != 0) __builtin_trap();
  return 0;
}
