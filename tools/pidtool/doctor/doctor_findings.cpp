#include "doctor/doctor_findings.h"

#include <cstring>
#include <utility>

#include "cli/command_line.h"
#include "cli/json.h"
#include "cli/text_format.h"

namespace pidtool {
namespace {

int CountOf(const std::vector<Finding>& findings, Severity severity) {
  int count = 0;
  for (const Finding& finding : findings) count += finding.severity == severity ? 1 : 0;
  return count;
}

// Key and value names come from anyone who can write the registry: a control character is
// shown as <0xNN>, so that a name cannot break a finding's line or forge another.
std::string Printable(const std::string& text) {
  std::string shown;
  for (unsigned char c : text)
    shown += c < 0x20 || c == 0x7F ? Printf("<0x%02X>", c) : std::string(1, c);
  return shown;
}

std::string Counted(int count, const char* one, const char* many) {
  return Printf("%d %s", count, count == 1 ? one : many);
}

constexpr char kReRegister[] =
    "register the module again with the {bits}-bit pidtool or regsvr32, or remove the component: {command}";
constexpr char kStray[] = "if nothing of yours uses it, remove it: {command}";
constexpr char kSetRefCount[] = "set it to the number of installed copies: {command}";

// The remedy pattern with its placeholders filled in one pass, so that a name or command that
// itself holds "{command}" is taken as it stands.
std::string FillRemedy(const std::string& pattern, const RemedyDetails& details) {
  const std::string bits = std::to_string(details.viewBits);
  const std::pair<const char*, const std::string*> fills[] = {
      {"{command}", &details.command}, {"{name}", &details.name}, {"{bits}", &bits}};
  std::string text;
  for (std::size_t at = 0; at < pattern.size();) {
    const char* const reRegister = "{re-register}";
    if (pattern.compare(at, std::strlen(reRegister), reRegister) == 0) {
      text += FillRemedy(kReRegister, details);
      at += std::strlen(reRegister);
      continue;
    }
    bool filled = false;
    for (const auto& [placeholder, by] : fills) {
      if (filled || pattern.compare(at, std::strlen(placeholder), placeholder) != 0) continue;
      text += *by;
      at += std::strlen(placeholder);
      filled = true;
    }
    if (!filled) text += pattern[at++];
  }
  return text;
}

}  // namespace

const std::vector<FindingKindRow>& FindingKinds() {
  using K = FindingKind;
  constexpr Severity E = Severity::Error, W = Severity::Warning, N = Severity::Note;
  static const std::vector<FindingKindRow> kinds = {
      {K::FileMissing, "file-missing", E, "{re-register}"},
      {K::BareFileMissing, "bare-file-missing", E,
       "copy {name} beside the host (or pass the host's folder with --host-dir), or register the module "
       "with its full path"},
      {K::BareFile, "bare-file", N,
       "nothing for hosts in that folder; for others, register the module with its full path"},
      {K::RelativeFile, "relative-file", W, "{re-register}"},
      {K::NoFile, "no-file", E, "{re-register}"},
      {K::FileTooLong, "no-file", E,
       "install the module under a shorter path and register it again"},
      {K::NotAModule, "not-a-module", E, "{re-register}"},
      {K::WrongWidth, "wrong-width", E,
       "register it with the pidtool or regsvr32 of its own width, so that it lands in that view, and remove "
       "this key: {command}"},
      {K::NotADll, "not-a-dll", E, "{re-register}"},
      {K::NoDllGetClassObject, "no-dllgetclassobject", E,
       "check that \"File\" names the right module; {re-register}"},
      {K::NoDllCanUnloadNow, "no-dllcanunloadnow", W,
       "check that \"File\" names the right module, or add the export to it"},
      {K::LoadNotRun, "load-failed", E, "run doctor --load again"},
      {K::LoadFailed, "load-failed", E,
       "install what the module imports where hosts find it (beside the host's executable, in the "
       "system folder or on the PATH), or link it into the module (-static for mingw's runtime)"},
      {K::LoadCrashed, "load-crashed", E,
       "replace the module with a sound copy and register it again, or remove the component: {command}"},
      {K::ClassObjectRefused, "class-object-refused", E,
       "the key names the wrong module for this CLSID; {command} and register the right module"},
      {K::NoFriendlyName, "no-friendly-name", W,
       "register the component again, so that hosts listing it can name it"},
      {K::UnterminatedText, "unterminated-text", W,
       "register the component again, which stores it with its terminator"},
      {K::RefCountType, "refcount-type", W, kSetRefCount},
      {K::RefCountZero, "refcount-zero", W, kSetRefCount},
      {K::CategoryOrphan, "category-orphan", E,
       "remove the entry, left by an uninstaller: {command}"},
      {K::CategoryNameMismatch, "category-name-mismatch", W,
       "register the component again, which writes both"},
      {K::CategoryEmpty, "category-empty", W, "remove it: {command}"},
      {K::ObjectIdType, "object-id-type", W,
       "remove it, and the object gets a new identifier on its next use: {command}"},
      {K::ObjectIdShared, "object-id-shared", W,
       "remove the name that should not have it; it gets a new identifier on its next use: {command}"},
      {K::ObjectIdDiffers, "object-id-differs", N,
       "nothing: the component's next use of the name settles it"},
      {K::ObjectOrphan, "object-orphan", W,
       "remove the settings if no object needs them: {command}"},
      {K::UserComponentUnregistered, "user-component-unregistered", N,
       "if the component is no longer installed, remove them: {command}"},
      {K::StrayKey, "stray-key", W, kStray},
      {K::StrayValue, "stray-value", W, kStray},
      {K::RegistryUnreadable, "registry-unreadable", E,
       "give the account read access to the key, then run doctor again"},
      {K::VirtualizedRegistration, "virtualized-registration", E,
       "register the module again with the 32-bit pidtool or regsvr32 from an elevated command "
       "prompt (Run as administrator), then remove this copy: {command}"},
  };
  return kinds;
}

Finding MakeFinding(FindingKind kind, std::string key, std::string problem,
                    const RemedyDetails& details) {
  const FindingKindRow* row = &FindingKinds().front();
  for (const FindingKindRow& each : FindingKinds()) row = each.kind == kind ? &each : row;
  return Finding{row->severity, row->code, std::move(key), std::move(problem),
                 FillRemedy(row->remedy, details)};
}

const char* SeverityName(Severity severity) {
  switch (severity) {
    case Severity::Error: return "error";
    case Severity::Warning: return "warning";
    case Severity::Note: return "note";
  }
  return "note";
}

std::string FindingsText(const std::vector<Finding>& findings, const DoctorScope& scope) {
  std::string text;
  for (const Finding& finding : findings) {
    text += Printf("%s [%s] %s: %s. Fix: %s.\n", SeverityName(finding.severity),
                   finding.code.c_str(), Printable(finding.key).c_str(),
                   Printable(finding.problem).c_str(), Printable(finding.remedy).c_str());
  }
  text += Counted(CountOf(findings, Severity::Error), "error", "errors") + ", " +
          Counted(CountOf(findings, Severity::Warning), "warning", "warnings") + ", " +
          Counted(CountOf(findings, Severity::Note), "note", "notes") + " in " +
          Counted(scope.components, "component", "components") + " and " +
          Counted(scope.categories, "category", "categories") +
          Printf(" (%d-bit registry view)\n", scope.viewBits);
  return text;
}

std::string FindingsJson(const std::vector<Finding>& findings) {
  Json document = Json::array();
  for (const Finding& finding : findings) {
    document.push_back({{"severity", SeverityName(finding.severity)},
                        {"code", finding.code},
                        {"key", finding.key},
                        {"problem", finding.problem},
                        {"remedy", finding.remedy}});
  }
  return JsonText(document);
}

int DoctorExitStatus(const std::vector<Finding>& findings) {
  return CountOf(findings, Severity::Error) > 0 ? kExitFailure : kExitSuccess;
}

}  // namespace pidtool
