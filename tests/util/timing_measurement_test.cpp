// The stopwatch over a scripted platform (counter values and clock given, message box and log
// write recorded), plus the exported function once over the real one.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "qx/utilities.h"
#include "support/scratch_folder.h"
#include "timing/timing_measurement.h"

namespace rmtest {
namespace {

constexpr unsigned long kUntouched = 0xA5A5A5A5;
constexpr std::int64_t k2To32 = std::int64_t{1} << 32;
constexpr char kLog[] = "C:\\QXMeasureTiming.ini";

class ScriptedTiming final : public rm::TimingPlatform {
 public:
  BOOL QueryFrequency(LARGE_INTEGER* value) noexcept override {
    calls += "frequency ";
    value->QuadPart = frequency;
    return frequency != 0;
  }
  BOOL QueryCounter(LARGE_INTEGER* value) noexcept override {
    calls += "counter ";
    value->QuadPart = counter;
    return !counterFails;
  }
  void GetUtcTime(SYSTEMTIME* time) noexcept override {
    calls += "clock ";
    *time = clock;
  }
  int ShowMessage(const char* text, const char* caption) noexcept override {
    calls += "message ";
    message = std::string(caption) + "|" + text;
    elapsedWhenShown = *elapsed;
    return 0;  // as without a display: the box fails
  }
  BOOL WriteProfile(const char* section, const char* key, const char* value,
                    const char* fileName) noexcept override {
    calls += "log ";
    log = std::string(fileName) + "|" + section + "|" + key + "|" + value;
    logKey = key;
    if (!redirectLogTo.empty())
      WritePrivateProfileStringA(section, key, value, redirectLogTo.c_str());
    return FALSE;  // a failed write changes nothing either
  }

  // A stop call with the given start count and frequency while the counter reads `now`.
  int Stop(std::int64_t start, std::int64_t now, std::int64_t frequencyValue,
           const char* caption = nullptr, const char* logText = nullptr) {
    LARGE_INTEGER frequencyArg, startArg;
    frequencyArg.QuadPart = frequencyValue;
    startArg.QuadPart = start;
    counter = now;
    return rm::MeasureTiming(*this, 0, &frequencyArg, &startArg, elapsed, caption, logText);
  }

  std::int64_t frequency = 1000000;
  std::int64_t counter = 0;
  bool counterFails = false;
  SYSTEMTIME clock{2024, 3, 2, 5, 9, 7, 3, 42};  // Tuesday 2024-03-05 09:07:03.042 UTC
  std::string redirectLogTo;
  unsigned long elapsedValue = kUntouched;
  unsigned long* elapsed = &elapsedValue;

  std::string calls, message, log, logKey;
  unsigned long elapsedWhenShown = kUntouched;
};

TEST(TimingStart, FillsFrequencyThenCountAndNothingElse) {
  ScriptedTiming platform;
  platform.frequency = 3579545;
  platform.counter = 123456789012345;
  LARGE_INTEGER frequency{}, start{};
  EXPECT_NE(rm::MeasureTiming(platform, 1, &frequency, &start, nullptr, "c", "t"), 0);
  EXPECT_EQ(frequency.QuadPart, 3579545);
  EXPECT_EQ(start.QuadPart, 123456789012345);
  EXPECT_EQ(platform.calls, "frequency counter ");

  platform.calls.clear();
  platform.frequency = 0;  // the frequency read fails: the count stays unread
  start.QuadPart = 77;
  EXPECT_EQ(rm::MeasureTiming(platform, 1, &frequency, &start, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(start.QuadPart, 77);
  EXPECT_EQ(platform.calls, "frequency ");
}

// compat C25
TEST(TimingStop, ReportsToEveryOutputInOrder) {
  ScriptedTiming platform;
  EXPECT_NE(platform.Stop(1000, 1000 + 3 * 1234567, 3000000, "Cap", "step"), 0)
      << "a failing box and log write keep the result";
  EXPECT_EQ(platform.elapsedValue, 1234567u);
  EXPECT_EQ(platform.calls, "counter message clock log ");
  EXPECT_EQ(platform.elapsedWhenShown, 1234567u) << "out-parameter written before the box";
  EXPECT_EQ(platform.message, "Cap|Time taken = 1234567 micro-second");
  EXPECT_EQ(platform.log,
            "C:\\QXMeasureTiming.ini|QXMeasureTiming|<20240305 9:7:3:42> step|"
            "1234567 micro-second");
}

// compat C25
TEST(TimingStop, ElapsedIsSigned64BitReportedModulo2To32) {
  ScriptedTiming platform;
  const std::int64_t start = 50 * k2To32;  // counts far past 32 bits
  platform.Stop(start, start + k2To32 + 5, 1000000, "c", "t");
  EXPECT_EQ(platform.elapsedValue, 5u);
  EXPECT_EQ(platform.message, "c|Time taken = 5 micro-second");
  EXPECT_EQ(platform.log.substr(platform.log.rfind('|')), "|5 micro-second");

  platform.Stop(2000000, 1000000, 1000000, "c", "t");  // one second backwards
  EXPECT_EQ(platform.elapsedValue, 4293967296u);
  EXPECT_EQ(platform.log.substr(platform.log.rfind('|')), "|4293967296 micro-second");

  platform.Stop(1, 0, 3);  // -333,333.3 µs truncates toward zero
  EXPECT_EQ(platform.elapsedValue, static_cast<unsigned long>(-333333));
}

TEST(TimingStop, FailingCounterZeroFrequencyOrNullCountsProduceNothing) {
  for (bool zeroFrequency : {false, true}) {
    ScriptedTiming platform;
    platform.counterFails = !zeroFrequency;
    EXPECT_EQ(platform.Stop(0, 10, zeroFrequency ? 0 : 1000000, "c", "t"), 0);
    EXPECT_EQ(platform.elapsedValue, kUntouched);
    EXPECT_EQ(platform.calls, "counter ") << "the counter is read first, and nothing follows";
  }
  ScriptedTiming platform;  // missing counter variables are refused in either mode
  unsigned long elapsed = kUntouched;
  EXPECT_EQ(rm::MeasureTiming(platform, 1, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(rm::MeasureTiming(platform, 0, nullptr, nullptr, &elapsed, "c", "t"), 0);
  EXPECT_EQ(elapsed, kUntouched);
  EXPECT_EQ(platform.calls, "counter ");
}

TEST(TimingStop, OnlyTheOutputsGivenAreProduced) {
  ScriptedTiming platform;
  EXPECT_NE(platform.Stop(0, 10, 1000000), 0);
  EXPECT_EQ(platform.elapsedValue, 10u);
  platform.elapsed = nullptr;
  EXPECT_NE(platform.Stop(0, 10, 1000000), 0);
  EXPECT_EQ(platform.calls, "counter counter ");
}

TEST(TimingLog, KeyFormatAndLengthLimit) {
  ScriptedTiming platform;
  platform.clock = SYSTEMTIME{987, 12, 6, 31, 23, 59, 58, 999};
  platform.Stop(0, 1, 1000000, nullptr, "late");
  EXPECT_EQ(platform.logKey, "<09871231 23:59:58:999> late") << "date padded, time not";

  const std::string text(2000, 'x');
  platform.Stop(0, 1, 1000000, nullptr, text.c_str());
  EXPECT_EQ(platform.logKey, ("<09871231 23:59:58:999> " + text).substr(0, 1023));
}

TEST(TimingLog, SameTextInTheSameMillisecondReplacesTheValue) {
  ScratchFolder folder;
  ScriptedTiming platform;
  platform.redirectLogTo = folder.File("timing.ini");
  platform.Stop(0, 111, 1000000, nullptr, "twice");
  platform.Stop(0, 222, 1000000, nullptr, "twice");
  char keys[256] = {};
  const DWORD listed = GetPrivateProfileStringA("QXMeasureTiming", nullptr, "", keys, sizeof keys,
                                                platform.redirectLogTo.c_str());
  EXPECT_EQ(std::string(keys, listed), std::string("<20240305 9:7:3:42> twice") + '\0');
  char value[64] = {};
  GetPrivateProfileStringA("QXMeasureTiming", keys, "", value, sizeof value,
                           platform.redirectLogTo.c_str());
  EXPECT_STREQ(value, "222 micro-second");
}

// Milliseconds since 1601 of a UTC time.
std::int64_t Milliseconds(const SYSTEMTIME& time) {
  FILETIME file;
  SystemTimeToFileTime(&time, &file);
  return ((std::int64_t{file.dwHighDateTime} << 32) | file.dwLowDateTime) / 10000;
}

TEST(TimingExport, MeasuresAndLogsWithTheRealPlatform) {
  char display[8];
  if (GetEnvironmentVariableA("DISPLAY", display, sizeof display) != 0) {
    GTEST_SKIP() << "a display is present: the message box would wait for a user";
  }
  const bool logExisted = GetFileAttributesA(kLog) != INVALID_FILE_ATTRIBUTES;
  const std::string text = "util_tests " + std::to_string(GetCurrentProcessId());
  LARGE_INTEGER frequency{}, start{};
  ASSERT_NE(QXMeasureTiming(1, &frequency, &start, nullptr, nullptr, nullptr), 0);
  SYSTEMTIME before, after;
  GetSystemTime(&before);
  unsigned long elapsed = kUntouched;
  // Without a display the box fails at once; the result does not change.
  EXPECT_NE(QXMeasureTiming(0, &frequency, &start, &elapsed, "util_tests", text.c_str()), 0);
  GetSystemTime(&after);

  // This run's key, then the log put back as it was.
  std::vector<char> keys(65536);
  const DWORD length =
      GetPrivateProfileStringA("QXMeasureTiming", nullptr, "", keys.data(), keys.size(), kLog);
  std::vector<std::string> found;
  for (const char* key = keys.data(); key < keys.data() + length; key += strlen(key) + 1) {
    const std::string name = key;
    if (name.size() > text.size() && name.substr(name.size() - text.size()) == text)
      found.push_back(name);
  }
  char value[64] = {};
  if (!found.empty())
    GetPrivateProfileStringA("QXMeasureTiming", found[0].c_str(), "", value, 64, kLog);
  for (const std::string& key : found)
    WritePrivateProfileStringA("QXMeasureTiming", key.c_str(), nullptr, kLog);
  char any[4];
  if (GetPrivateProfileStringA("QXMeasureTiming", nullptr, "", any, sizeof any, kLog) == 0) {
    WritePrivateProfileStringA("QXMeasureTiming", nullptr, nullptr, kLog);
  }
  if (!logExisted && GetPrivateProfileSectionNamesA(any, sizeof any, kLog) == 0) {
    EXPECT_TRUE(DeleteFileA(kLog)) << GetLastError();
  }

  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(value, std::to_string(elapsed) + " micro-second");
  unsigned year, month, day, hour, minute, second, millisecond;
  char rest[64] = {};
  ASSERT_EQ(std::sscanf(found[0].c_str(), "<%4u%2u%2u %u:%u:%u:%u> %63[^\n]", &year, &month, &day,
                        &hour, &minute, &second, &millisecond, rest),
            8)
      << found[0];
  EXPECT_EQ(text, rest);
  const SYSTEMTIME logged{WORD(year),   WORD(month),      0, WORD(day), WORD(hour), WORD(minute),
                          WORD(second), WORD(millisecond)};
  EXPECT_LE(Milliseconds(before), Milliseconds(logged)) << found[0];
  EXPECT_LE(Milliseconds(logged), Milliseconds(after)) << found[0];
}

}  // namespace
}  // namespace rmtest
