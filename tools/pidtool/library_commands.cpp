// Commands that need the component framework library of the module. Each is wired to the
// library as its functions become available; until then it checks its arguments, says that
// it is unavailable and fails.
#include "commands.h"
#include "reporting.h"

namespace pidtool {
namespace {

int Unavailable(const ParsedCommandLine& parsed, const char* functions) {
  return Failure(*parsed.command, std::string("not available in this build: the module does not export ") +
                                      functions + " yet");
}

}  // namespace

int RunList(const ParsedCommandLine& parsed) {
  return Unavailable(parsed, "QXEnumComponents and QXGetComponentFriendlyName");
}

int RunProducts(const ParsedCommandLine& parsed) {
  return Unavailable(parsed, "QXEnumComponents, QXCreateInstance and QXFreeUnusedLibraries");
}

int RunShow(const ParsedCommandLine& parsed) {
  GUID clsid{};
  int status = kExitFailure;
  if (!GuidArgument(parsed, 0, "a CLSID", &clsid, &status)) return status;
  return Unavailable(parsed, "QXQueryRegistrySubKeyNameForComponent and QXGetComponentFriendlyName");
}

int RunObjectId(const ParsedCommandLine& parsed) {
  GUID clsid{};
  int status = kExitFailure;
  if (!GuidArgument(parsed, 0, "a CLSID", &clsid, &status)) return status;
  return Unavailable(parsed, "QXGenerateObjectID");
}

int RunObjectName(const ParsedCommandLine& parsed) {
  GUID clsid{}, objectId{};
  int status = kExitFailure;
  if (!GuidArgument(parsed, 0, "a CLSID", &clsid, &status)) return status;
  if (!GuidArgument(parsed, 1, "an object identifier", &objectId, &status)) return status;
  return Unavailable(parsed, "QXGetObjectKey");
}

}  // namespace pidtool
