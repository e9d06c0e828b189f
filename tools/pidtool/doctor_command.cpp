// doctor: what is wrong with the component registry, and how to mend it.
#include "commands.h"
#include "doctor.h"
#include "reporting.h"

namespace pidtool {

int RunDoctor(const ParsedCommandLine& parsed) {
  DoctorOptions options;
  options.hostDir = parsed.hostDir;
  options.load = parsed.load;
  DoctorScope scope;
  const std::vector<Finding> findings = Diagnose(options, &scope);
  PrintOut(parsed.json ? FindingsJson(findings) : FindingsText(findings, scope));
  return DoctorExitStatus(findings);
}

}  // namespace pidtool
