// Shared start of the fuzz targets: a headless application, batch mode (no
// dialog waits for an answer), a private configuration directory, the
// modules at their defaults, and files in the process's temporary folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "framework/globals.h"
#include "framework/init.h"
#include "platform/application.h"
#include "platform/dialogs.h"
#include "platform/os.h"

// Once per process: the application object and batch mode. Every input:
// the framework back at its defaults; the targets of the layers above start
// their own modules after this.
inline void FuzzStart() {
  static const bool started = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Settings, index cache and user data in the run's own folder, never the user's.
    setenv("BQ4_CONFIG_DIR", (platform::ProcessTempDir() + "/config").c_str(), 1);
    setenv("BQ4_CACHE_DIR", (platform::ProcessTempDir() + "/cache").c_str(), 1);
    setenv("BQ4_USER_DATA_DIR", (platform::ProcessTempDir() + "/user-data").c_str(), 1);
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    // Never destroyed: the process ends without tearing Qt down after
    // modules whose statics are gone already.
    static auto* app = new platform::ApplicationScope(argc, argv);
    (void)app;
    platform::SetBatchMode(true);
    return true;
  }();
  (void)started;
  InitFrameworkModules();
  TraceMessagesOn = 0;
  HorizontalPixels = 640;
  VerticalPixels = 480;
  TempDir = platform::ProcessTempDir();
  PltDir = platform::ProcessTempDir() + "/";
}

inline std::string FuzzPath(const std::string& name) { return platform::ProcessTempDir() + "/" + name; }

// Writes the bytes to path (replacing it) and returns path.
inline std::string WriteFuzzFile(const std::string& path, const void* data, std::size_t size) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  return path;
}

// The whole file, or nothing when it cannot be read.
inline std::string ReadFuzzFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string_view FuzzText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}
