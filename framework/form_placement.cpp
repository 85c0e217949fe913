#include "framework/form_placement.h"

#include <algorithm>

#include "framework/globals.h"
#include "platform/os.h"
#include "platform/os_version.h"

int PicWindowLeft = 0;
int PicWindowTop = 0;

void InitFormPlacement() {
  PicWindowLeft = 0;
  PicWindowTop = 0;
}

FormRect ScaledFormSize(FormRect form) {
  form.width = static_cast<int>(static_cast<long long>(form.width) * InputWindowScale / 100);
  form.height = static_cast<int>(static_cast<long long>(form.height) * InputWindowScale / 100);
  return form;
}

FormRect ScaleCenterRect(FormRect form, FormRect main) { return CenterRect(ScaledFormSize(form), main); }

FormRect CenterRect(FormRect form, FormRect main) {
  form.left = main.left + std::max(0, (main.width - form.width) / 2);
  form.top = main.top + std::max(0, (main.height - form.height) / 2) + 20;
  return form;
}

FormRect PictureWindowRect(FormRect form) {
  form = ScaledFormSize(form);
  form.left = PicWindowLeft;
  form.top = PicWindowTop;
  return form;
}

std::string GetEnvVar(const std::string& name) { return platform::GetEnvironment(name).substr(0, 255); }

std::string WindowsVersionText() { return platform::OsVersionText(); }
