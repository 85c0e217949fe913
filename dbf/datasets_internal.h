// Private to the dataset files: raw values in record buffers and the texts
// of dates and locate values.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "dbf/locate.h"
#include "dbf/runtime.h"
#include "platform/dataset.h"

namespace datasets {

inline std::int32_t GetI32(const std::uint8_t* p) {
  std::int32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

inline void PutI32(std::uint8_t* p, std::int32_t v) { std::memcpy(p, &v, 4); }

inline double GetF64(const std::uint8_t* p) {
  double v;
  std::memcpy(&v, p, 8);
  return v;
}

inline void PutF64(std::uint8_t* p, double v) { std::memcpy(p, &v, 8); }

inline std::string Trim(const std::string& s) { return AllTrim(s); }

inline std::vector<TLocateValue> LocateValues(const std::vector<std::string>& values) {
  std::vector<TLocateValue> v;
  for (const std::string& t : values) v.emplace_back(t);
  return v;
}

}  // namespace datasets

namespace datasets {

// A day number as a date in the national format; empty for no date.
std::string DayNumberToNational(double day);

// Reports engine error `code` with `detail` and raises it as EDederError.
[[noreturn]] void RaiseEngineError(int code, const std::string& detail);

}  // namespace datasets

// The dataset framework's names, as the dataset files use them.
using platform::Bookmark;
using platform::RecordBuffer;
using platform::TBookmarkFlag;
using platform::TDataSetState;
using platform::TField;
using platform::TFieldType;
using platform::TGetMode;
using platform::TGetResult;
using namespace datasets;
