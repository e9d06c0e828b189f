#pragma once
// Internals of CQXGlobalMemObj that tests look at.

namespace rm {

// Records of CQXGlobalMemObj alive in this process right now. Objects joined by operator=
// share one record, which goes when the last of them does.
long LiveGlobalMemRecords() noexcept;

}  // namespace rm
