#pragma once
// The stopwatch behind QXMeasureTiming, over the platform operations it uses, so that the
// arithmetic, the formats and the order of the outputs can be driven with any counter values.

#include <windows.h>

namespace rm {

constexpr char kTimingLogFile[] = "C:\\QXMeasureTiming.ini";
constexpr char kTimingLogSection[] = "QXMeasureTiming";
constexpr unsigned kTimingMessageCapacity = 128;
constexpr unsigned kTimingLogKeyCapacity = 1024;  // a longer key is cut to 1,023 characters

class TimingPlatform {
 public:
  virtual BOOL QueryFrequency(LARGE_INTEGER* frequency) noexcept = 0;
  virtual BOOL QueryCounter(LARGE_INTEGER* count) noexcept = 0;
  virtual void GetUtcTime(SYSTEMTIME* time) noexcept = 0;
  // Blocks until the user dismisses the box.
  virtual int ShowMessage(const char* text, const char* caption) noexcept = 0;
  virtual BOOL WriteProfile(const char* section, const char* key, const char* value,
                            const char* fileName) noexcept = 0;

 protected:
  ~TimingPlatform() = default;
};

// The performance counter, the system clock, MessageBoxA and WritePrivateProfileStringA.
TimingPlatform& SystemTimingPlatform() noexcept;

// Start mode (start != 0) fills frequency and startCount; stop mode reads the counter first,
// then reports the low 32 bits of the elapsed microseconds to the outputs that are given.
int MeasureTiming(TimingPlatform& platform, int start, LARGE_INTEGER* frequency,
                  LARGE_INTEGER* startCount, unsigned long* elapsed, const char* caption,
                  const char* logText) noexcept;

}  // namespace rm
