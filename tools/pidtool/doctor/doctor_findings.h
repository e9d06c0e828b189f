#pragma once
// What `pidtool doctor` reports: one finding per fault, each naming the key, what is wrong
// and what to do about it; the table of the kinds of finding; and the ways of printing them.

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

enum class FindingKind {
  FileMissing,
  BareFileMissing,
  BareFile,
  RelativeFile,
  NoFile,
  FileTooLong,
  NotAModule,
  WrongWidth,
  NotADll,
  NoDllGetClassObject,
  NoDllCanUnloadNow,
  LoadNotRun,
  LoadFailed,
  LoadCrashed,
  ClassObjectRefused,
  NoFriendlyName,
  UnterminatedText,
  RefCountType,
  RefCountZero,
  CategoryOrphan,
  CategoryNameMismatch,
  CategoryEmpty,
  ObjectIdType,
  ObjectIdShared,
  ObjectIdDiffers,
  ObjectOrphan,
  UserComponentUnregistered,
  StrayKey,
  StrayValue,
  RegistryUnreadable,
  VirtualizedRegistration,
};

// One row per kind. Several kinds may share a code (one fault, remedies that differ). In the
// remedy, "{command}" stands for the command (or the steps by hand) the check gives, "{name}"
// for the name it gives, "{bits}" for the width of the registry view read, and
// "{re-register}" for the remedy of a component whose module cannot be used.
struct FindingKindRow {
  FindingKind kind;
  const char* code;
  Severity severity;
  const char* remedy;
};
const std::vector<FindingKindRow>& FindingKinds();

// What a check fills the remedy's placeholders with.
struct RemedyDetails {
  std::string command;
  std::string name;
  int viewBits = 0;
};

// The finding of `kind` at `key`, its code, severity and remedy taken from the table.
Finding MakeFinding(FindingKind kind, std::string key, std::string problem,
                    const RemedyDetails& details);

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
