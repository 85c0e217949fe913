#include "cad/init.h"

#include "cad/cad_output.h"
#include "cad/hatching.h"
#include "cad/iges_writer.h"

void InitCadModules() {
  InitCadOutput();
  InitIgesWriter();
  InitHatching();
}
