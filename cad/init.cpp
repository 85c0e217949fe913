#include "cad/init.h"

#include "cad/cad_output.h"
#include "cad/diagram_plotter.h"
#include "cad/drawing_elements.h"
#include "cad/hatching.h"
#include "cad/iges_writer.h"
#include "cad/load_extension_diagrams.h"

void InitCadModules() {
  InitCadOutput();
  InitIgesWriter();
  InitHatching();
  InitDiagramPlotter();
  InitLoadExtensionDiagrams();
  InitDrawingElements();
}
