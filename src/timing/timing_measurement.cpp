#include "timing/timing_measurement.h"

#include <cstdint>
#include <cstdio>

namespace rm {
namespace {

class SystemTiming final : public TimingPlatform {
 public:
  BOOL QueryFrequency(LARGE_INTEGER* frequency) noexcept override {
    return QueryPerformanceFrequency(frequency);
  }
  BOOL QueryCounter(LARGE_INTEGER* count) noexcept override {
    return QueryPerformanceCounter(count);
  }
  void GetUtcTime(SYSTEMTIME* time) noexcept override { GetSystemTime(time); }
  int ShowMessage(const char* text, const char* caption) noexcept override {
    return MessageBoxA(nullptr, text, caption, MB_OK);
  }
  BOOL WriteProfile(const char* section, const char* key, const char* value,
                    const char* fileName) noexcept override {
    return WritePrivateProfileStringA(section, key, value, fileName);
  }
};

// ((now - start) * 1,000,000) / frequency in signed 64-bit arithmetic, the subtraction and the
// product kept modulo 2^64 and the quotient truncated toward zero; only the low 32 bits are
// ever reported. The frequency is not zero.
unsigned long ElapsedMicrosecondsLow32(std::int64_t now, std::int64_t start,
                                       std::int64_t frequency) noexcept {
  const std::uint64_t product =
      (static_cast<std::uint64_t>(now) - static_cast<std::uint64_t>(start)) * 1000000u;
  // Dividing the most negative value by -1 overflows; the modulo-2^64 quotient is the negation.
  const std::uint64_t quotient =
      frequency == -1 ? 0u - product
                      : static_cast<std::uint64_t>(static_cast<std::int64_t>(product) / frequency);
  return static_cast<unsigned long>(quotient & 0xFFFFFFFFu);
}

void ReportInMessageBox(TimingPlatform& platform, unsigned long microseconds,
                        const char* caption) noexcept {
  char text[kTimingMessageCapacity];
  std::snprintf(text, sizeof text, "Time taken = %lu micro-second", microseconds);
  platform.ShowMessage(text, caption);  // a failing box does not change the result
}

void ReportInLog(TimingPlatform& platform, unsigned long microseconds,
                 const char* logText) noexcept {
  SYSTEMTIME now{};
  platform.GetUtcTime(&now);
  char key[kTimingLogKeyCapacity];  // snprintf cuts a longer key to fit
  std::snprintf(key, sizeof key, "<%04lu%02lu%02lu %lu:%lu:%lu:%lu> %s",
                static_cast<unsigned long>(now.wYear), static_cast<unsigned long>(now.wMonth),
                static_cast<unsigned long>(now.wDay), static_cast<unsigned long>(now.wHour),
                static_cast<unsigned long>(now.wMinute), static_cast<unsigned long>(now.wSecond),
                static_cast<unsigned long>(now.wMilliseconds), logText);
  char value[32];
  std::snprintf(value, sizeof value, "%lu micro-second", microseconds);
  platform.WriteProfile(kTimingLogSection, key, value, kTimingLogFile);  // result ignored
}

}  // namespace

TimingPlatform& SystemTimingPlatform() noexcept {
  static SystemTiming platform;
  return platform;
}

int MeasureTiming(TimingPlatform& platform, int start, LARGE_INTEGER* frequency,
                  LARGE_INTEGER* startCount, unsigned long* elapsed, const char* caption,
                  const char* logText) noexcept {
  if (start != 0) {
    if (frequency == nullptr || startCount == nullptr) return 0;
    if (!platform.QueryFrequency(frequency)) return 0;
    return platform.QueryCounter(startCount);
  }

  // The counter comes first, so that the time reported excludes the cost of reporting it.
  LARGE_INTEGER now;
  const BOOL counted = platform.QueryCounter(&now);
  if (!counted) return 0;
  if (frequency == nullptr || startCount == nullptr || frequency->QuadPart == 0) return 0;

  const unsigned long microseconds =
      ElapsedMicrosecondsLow32(now.QuadPart, startCount->QuadPart, frequency->QuadPart);
  // compat C25
  if (elapsed != nullptr) *elapsed = microseconds;
  if (caption != nullptr) ReportInMessageBox(platform, microseconds, caption);
  if (logText != nullptr) ReportInLog(platform, microseconds, logText);
  return counted;
}

}  // namespace rm
