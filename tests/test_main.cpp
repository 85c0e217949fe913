// Test entry point: a headless application and a private configuration,
// cache and user data directory (its own and those of the programs it
// starts), so every test binary runs without a display and in parallel.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/application.h"
#include "platform/dialogs.h"
#include "platform/os.h"

// The leak checker's suppressions (tests/lsan.supp) in every run of a test
// program, whatever its environment: the caches that Qt, fontconfig and glib
// keep for the whole process are no leaks of ours.
extern "C" [[gnu::used, gnu::visibility("default")]] const char* __lsan_default_suppressions() {
  return
#include "lsan_suppressions.inc"
      ;
}

// Leaks suppressed are not counted on stderr either.
extern "C" [[gnu::used, gnu::visibility("default")]] const char* __lsan_default_options() {
  return "print_suppressions=0";
}

int main(int argc, char** argv) {
  if (platform::GetEnvironment("DISPLAY").empty()) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  std::string cfg = platform::ProcessTempDir() + "/config";
  setenv("BQ4_CONFIG_DIR", cfg.c_str(), 1);
  const std::string cache = platform::ProcessTempDir() + "/cache";
  setenv("BQ4_CACHE_DIR", cache.c_str(), 1);
  const std::string userData = platform::ProcessTempDir() + "/user-data";
  setenv("BQ4_USER_DATA_DIR", userData.c_str(), 1);
  setenv("BQ4_TEST_MODE", "1", 1);
  // The readers the tests start (Python with ezdxf, which loads matplotlib;
  // fontconfig) keep their settings and caches here too, never in the
  // user's home or the checkout.
  for (const char* variable : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "MPLCONFIGDIR"}) {
    const std::string dir = platform::ProcessTempDir() + "/" + variable;
    setenv(variable, dir.c_str(), 1);
  }
  setenv("PYTHONDONTWRITEBYTECODE", "1", 1);
  platform::ApplicationScope app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  // Death tests run in a fresh copy of the program, never in a fork of one
  // that already has Qt's threads and earlier tests' state.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // A dialog that no test answered, or a scripted answer that did not fit, fails the test.
  platform::SetDialogFailureHandler([](const std::string& m) { ADD_FAILURE() << "dialog: " << m; });
  return RUN_ALL_TESTS();
}
