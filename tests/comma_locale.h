// A test's scope in the German locale (decimal comma, day.month.year dates),
// compiled once per process into a folder of its own with localedef, so
// that the test needs no locale installed on the machine. With
// `environment`, LC_ALL names it too, as a user's session would.
#pragma once

#include <cstdlib>
#include <clocale>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/os.h"
#include "run_program.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#define BQ4_LSAN_DISABLE() __lsan_disable()
#define BQ4_LSAN_ENABLE() __lsan_enable()
#else
#define BQ4_LSAN_DISABLE() ((void)0)
#define BQ4_LSAN_ENABLE() ((void)0)
#endif

namespace testlocale {

inline const std::string& CompiledLocaleDir() {
  static const std::string dir = [] {
    const std::string folder = platform::ProcessTempDir() + "/locales";
    std::filesystem::create_directories(folder);
    // Warnings give a non-zero status: the file decides.
    (void)RunProgram({"localedef", "-i", "de_DE", "-f", "UTF-8", folder + "/de_DE.UTF-8"}, {"/dev/null", "/dev/null", "/dev/null"});
    return std::filesystem::exists(folder + "/de_DE.UTF-8") ? folder : std::string();
  }();
  return dir;
}

class CommaLocale {
 public:
  explicit CommaLocale(bool environment = false) {
    if (CompiledLocaleDir().empty()) return;
    Save("LOCPATH");
    Save("LC_ALL");
    Save("LANG");
    ::setenv("LOCPATH", CompiledLocaleDir().c_str(), 1);
    if (environment) {
      ::setenv("LC_ALL", "de_DE.UTF-8", 1);
      // glibc's newlocale keeps the search path it builds from LOCPATH,
      // which only a test sets.
      BQ4_LSAN_DISABLE();
      lsanOff_ = true;
    }
    ok_ = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr && std::strcmp(std::localeconv()->decimal_point, ",") == 0;
  }
  ~CommaLocale() {
    if (lsanOff_) BQ4_LSAN_ENABLE();
    std::setlocale(LC_ALL, "C");
    for (auto& [name, value] : saved_) {
      if (value) ::setenv(name.c_str(), value->c_str(), 1);
      else ::unsetenv(name.c_str());
    }
  }
  CommaLocale(const CommaLocale&) = delete;
  CommaLocale& operator=(const CommaLocale&) = delete;
  bool available() const { return ok_; }

 private:
  void Save(const char* name) {
    const char* v = std::getenv(name);
    saved_.push_back({name, v ? std::optional<std::string>(v) : std::nullopt});
  }
  bool ok_ = false;
  bool lsanOff_ = false;
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// The locale names of the environment (LC_ALL, LC_TIME, LANG; null: unset)
// for a test's scope, without compiling a locale: the date layout is told
// from the name.
class LocaleNames {
 public:
  LocaleNames(const char* all, const char* time, const char* lang) {
    for (const char* name : {"LC_ALL", "LC_TIME", "LANG"}) {
      const char* v = std::getenv(name);
      saved_.push_back({name, v ? std::optional<std::string>(v) : std::nullopt});
    }
    Set("LC_ALL", all);
    Set("LC_TIME", time);
    Set("LANG", lang);
  }
  ~LocaleNames() {
    for (auto& [name, value] : saved_) Set(name.c_str(), value ? value->c_str() : nullptr);
  }

 private:
  static void Set(const char* name, const char* value) {
    if (value) ::setenv(name, value, 1);
    else ::unsetenv(name);
  }
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace testlocale

// Skips the test where no German locale can be compiled.
#define BQ4_IN_COMMA_LOCALE(name, ...)                                       \
  testlocale::CommaLocale name{__VA_ARGS__};                                 \
  if (!name.available()) GTEST_SKIP() << "no de_DE locale (localedef)"
