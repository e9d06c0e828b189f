#pragma once
// What `pidtool doctor` reports: one finding per fault, each naming the key, what is wrong
// and what to do about it, and the ways of printing them.

#include <string>
#include <vector>

namespace pidtool {

enum class Severity {
  Error,    // a host will fail
  Warning,  // a host may fail, or the data is stray
  Note,     // worth knowing; nothing fails
};

struct Finding {
  Severity severity;
  std::string code;     // stable short name, e.g. "file-missing"
  std::string key;      // full key name, "HKEY_LOCAL_MACHINE\SOFTWARE\..."
  std::string problem;  // what is wrong, one sentence without the final period
  std::string remedy;   // what to do about it, likewise
};

// What was walked, for the summary line.
struct DoctorScope {
  int components = 0;  // per-machine component keys
  int categories = 0;
  int viewBits = 0;  // the registry view: 32 or 64
};

const char* SeverityName(Severity severity);

// One line per finding, "error [file-missing] KEY: problem. Fix: remedy.", then the summary.
std::string FindingsText(const std::vector<Finding>& findings, const DoctorScope& scope);

// The findings as a JSON array of {severity, code, key, problem, remedy}.
std::string FindingsJson(const std::vector<Finding>& findings);

// kExitFailure when any finding is an error, else kExitSuccess.
int DoctorExitStatus(const std::vector<Finding>& findings);

}  // namespace pidtool
