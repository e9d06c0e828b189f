#include "doctor_findings.h"

#include "command_line.h"
#include "json_writer.h"
#include "text_format.h"

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
  for (unsigned char c : text) shown += c < 0x20 || c == 0x7F ? Printf("<0x%02X>", c) : std::string(1, c);
  return shown;
}

std::string Counted(int count, const char* one, const char* many) {
  return Printf("%d %s", count, count == 1 ? one : many);
}

}  // namespace

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
    text += Printf("%s [%s] %s: %s. Fix: %s.\n", SeverityName(finding.severity), finding.code.c_str(),
                   Printable(finding.key).c_str(), Printable(finding.problem).c_str(),
                   Printable(finding.remedy).c_str());
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
  JsonWriter json;
  json.BeginArray();
  for (const Finding& finding : findings) {
    json.BeginObject()
        .Key("severity").String(SeverityName(finding.severity))
        .Key("code").String(finding.code)
        .Key("key").String(AnsiToUtf8(finding.key))
        .Key("problem").String(AnsiToUtf8(finding.problem))
        .Key("remedy").String(AnsiToUtf8(finding.remedy))
        .EndObject();
  }
  json.EndArray();
  return json.Text();
}

int DoctorExitStatus(const std::vector<Finding>& findings) {
  return CountOf(findings, Severity::Error) > 0 ? kExitFailure : kExitSuccess;
}

}  // namespace pidtool
