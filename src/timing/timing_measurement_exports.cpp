// QXMeasureTiming: the stopwatch of timing_measurement.h on the system's counter, clock,
// message box and profile file; a failing call is traced.
#include "qx/utilities.h"
#include "registry/failure_trace.h"
#include "timing/timing_measurement.h"

int QXMeasureTiming(int start, LARGE_INTEGER* frequency, LARGE_INTEGER* startCount,
                    unsigned long* elapsed, const char* caption, const char* logText) noexcept {
  const int measured = rm::MeasureTiming(rm::SystemTimingPlatform(), start, frequency, startCount,
                                         elapsed, caption, logText);
  if (measured == 0) rm::CallTrace("QXMeasureTiming").Failed(rm::kSuccess, "0");
  return measured;
}
