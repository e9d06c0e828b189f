#pragma once
// `pidtool doctor`: walks the component registry of this process's registry view (per machine
// and per user) and the module files it names, and lists what is wrong. Reads only: no key is
// opened for writing, and a component's code runs only with `load`.

#include <string>
#include <vector>

#include "doctor/doctor_findings.h"

namespace pidtool {

struct DoctorOptions {
  std::string hostDir;  // where a bare "File" name is looked for; empty: this tool's folder
  bool load = false;    // also load each module and ask it for its class object
};

std::vector<Finding> Diagnose(const DoctorOptions& options, DoctorScope* scope);

}  // namespace pidtool
