#include "app/program.h"

#include "platform/application.h"

int RunProgram(int argc, char** argv) {
  platform::ApplicationScope app(argc, argv);
  return 0;
}
