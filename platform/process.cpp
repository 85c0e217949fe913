#include "platform/process.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QUrl>

namespace platform {

namespace {

struct Recorder {
  bool on = false;
  std::vector<ProgramStart> starts;
};

Recorder& Rec() {
  static Recorder r;
  return r;
}

QString FromLocal(const std::string& s) { return QString::fromLocal8Bit(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace

bool ProgramExists(const std::string& program) {
  if (program.empty()) return false;
  if (program.find('/') == std::string::npos)
    return !QStandardPaths::findExecutable(FromLocal(program)).isEmpty();
  // Execute permission bits, not access(): root may "execute" any file.
  const QFileInfo info(FromLocal(program));
  const auto exe = QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;
  return info.isFile() && (info.permissions() & exe);
}

bool StartProgram(const std::string& program, const std::vector<std::string>& arguments) {
  if (Rec().on) {
    Rec().starts.push_back({program, arguments});
    return true;
  }
  QStringList args;
  for (const auto& a : arguments) args << FromLocal(a);
  return QProcess::startDetached(FromLocal(program), args);
}

bool OpenWithDefaultProgram(const std::string& file) {
  if (Rec().on) {
    Rec().starts.push_back({"default-opener", {file}});
    return true;
  }
  return QDesktopServices::openUrl(QUrl::fromLocalFile(FromLocal(file)));
}

void RecordProgramStarts(bool on) {
  Rec().on = on;
  Rec().starts.clear();
}

const std::vector<ProgramStart>& RecordedProgramStarts() { return Rec().starts; }

}  // namespace platform
