#include "framework/init.h"

#include "framework/calc_messages.h"
#include "framework/change_history.h"
#include "framework/clock.h"
#include "framework/display_list.h"
#include "framework/documents.h"
#include "framework/file_utils.h"
#include "framework/form_placement.h"
#include "framework/globals.h"
#include "framework/graph_recorder.h"
#include "framework/graph_transform.h"
#include "framework/help_texts.h"
#include "framework/hpgl.h"
#include "framework/identity.h"
#include "framework/line_io.h"
#include "framework/menu_captions.h"
#include "framework/message_box.h"
#include "framework/printer_setup.h"
#include "framework/text_output.h"

void InitFrameworkModules() {
  InitGlobals();
  InitFileErrors();
  InitWindowsSettings();
  InitCalcMessages();
  InitLineIo();
  InitClock();
  InitChangeHistory();
  InitDocuments();
  InitGraphicsDefaults();
  InitGraphTransform();
  InitDisplayList();
  InitGraphRecorder();
  InitHpgl();
  InitPrinterDefaults();
  InitPrinterSetup();
  InitProgramIdentity();
  InitCadDefaults();
  InitView3DDefaults();
  InitHelpTexts();
  InitMessageBox();
  InitFormPlacement();
  InitMenuCaptions();
  InitTextOutput();
}
