#include "doctor/doctor.h"

#include "doctor/doctor_checks.h"
#include "doctor/doctor_snapshot.h"

namespace pidtool {

std::vector<Finding> Diagnose(const DoctorOptions& options, DoctorScope* scope) {
  return CheckSnapshot(ReadSnapshot(options), scope);
}

}  // namespace pidtool
