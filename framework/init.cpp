#include "framework/init.h"

#include "framework/calc_messages.h"
#include "framework/globals.h"
#include "framework/identity.h"

void InitFrameworkModules() {
  InitGlobals();
  InitWindowsSettings();
  InitCalcMessages();
  InitGraphicsDefaults();
  InitPrinterDefaults();
  InitProgramIdentity();
  InitCadDefaults();
  InitView3DDefaults();
}
