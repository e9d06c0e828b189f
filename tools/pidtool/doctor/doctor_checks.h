#pragma once
// doctor's judgement: pure functions over a snapshot, one for each kind of fault, that touch
// neither the registry nor the files. Findings come in the order of the tree: unreadable keys,
// the roots' stray entries, then each component (by CLSID), then each category.

#include <vector>

#include "doctor/doctor_findings.h"
#include "doctor/doctor_snapshot.h"

namespace pidtool {

std::vector<Finding> CheckSnapshot(const DoctorSnapshot& snapshot, DoctorScope* scope);

}  // namespace pidtool
