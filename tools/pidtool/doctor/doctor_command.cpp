// doctor: what is wrong with the component registry, and how to mend it.
#include "cli/command_line.h"
#include "cli/reporting.h"
#include "doctor/doctor.h"
#include "doctor/doctor_load_probe.h"

namespace pidtool {

int RunDoctor(const ParsedCommandLine& parsed) {
  // The child process of --load (see doctor_load_probe.h); not for people, so not in the help.
  const auto probeModule = parsed.options.find("--probe-module");
  const auto probeClsid = parsed.options.find("--probe-clsid");
  if (probeModule != parsed.options.end() && probeClsid != parsed.options.end()) {
    return RunLoadProbe(probeModule->second, probeClsid->second);
  }
  if (probeModule != parsed.options.end() || probeClsid != parsed.options.end()) {
    return BadArguments(parsed, "--probe-module and --probe-clsid go together");
  }
  DoctorOptions options;
  const auto hostDir = parsed.options.find("--host-dir");
  if (hostDir != parsed.options.end()) options.hostDir = hostDir->second;
  options.load = parsed.options.count("--load") != 0;
  DoctorScope scope;
  const std::vector<Finding> findings = Diagnose(options, &scope);
  PrintOut(parsed.json ? FindingsJson(findings) : FindingsText(findings, scope));
  return DoctorExitStatus(findings);
}

}  // namespace pidtool
