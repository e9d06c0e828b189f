// id and name: the two directions of a component's object ID map.
#include "cli/command_line.h"
#include "cli/guid_text.h"
#include "cli/json.h"
#include "cli/reporting.h"
#include "cli/result_names.h"
#include "cli/text_format.h"
#include "commands/component_queries.h"
#include "commands/text_query.h"

namespace pidtool {
namespace {

void PrintObject(const ParsedCommandLine& parsed, const std::string& clsid, const std::string& name,
                 const std::string& objectId) {
  if (parsed.json) {
    PrintOut(JsonText({{"clsid", clsid}, {"objectName", name}, {"objectId", objectId}}));
  } else {
    PrintOut("Object '" + name + "' of " + clsid + ": " + objectId + "\n");
  }
}

}  // namespace

int RunObjectId(const ParsedCommandLine& parsed) {
  GUID clsid{};
  int status = kExitFailure;
  if (!GuidArgument(parsed, 0, "a CLSID", &clsid, &status)) return status;
  const std::string& objectName = parsed.arguments[1];
  if (objectName.empty()) return BadArguments(parsed, "the object name is empty");
  std::string ansiName;
  if (!Utf8ToAnsi(objectName, &ansiName)) return UnpassableName(parsed, "object", objectName);
  const std::string clsidText = FormatGuid(clsid);

  // Assigning writes into the component's key; a component that is not registered gets none.
  std::string friendlyName;
  const tagQXINTRFCRESULT named = ComponentFriendlyName(clsid, &friendlyName);
  if (named != QXIR_SUCCESS) {
    return Failure(
        parsed,
        {clsidText + " is not a registered component: QXGetComponentFriendlyName returned " +
             DescribeResult(named) + "; no identifier was assigned",
         ResultCode(named)});
  }
  GUID objectId{};
  const tagQXINTRFCRESULT generated = QXGenerateObjectID(clsid, ansiName.c_str(), &objectId, 0);
  if (generated != QXIR_SUCCESS) {
    return Failure(parsed,
                   {"getting the identifier of object '" + objectName + "' of " + clsidText +
                        " failed: QXGenerateObjectID returned " + DescribeResult(generated),
                    ResultCode(generated)});
  }
  PrintObject(parsed, clsidText, objectName, FormatGuid(objectId));
  return kExitSuccess;
}

int RunObjectName(const ParsedCommandLine& parsed) {
  GUID clsid{}, objectId{};
  int status = kExitFailure;
  if (!GuidArgument(parsed, 0, "a CLSID", &clsid, &status)) return status;
  if (!GuidArgument(parsed, 1, "an object identifier", &objectId, &status)) return status;
  const std::string clsidText = FormatGuid(clsid);
  const std::string objectIdText = FormatGuid(objectId);

  std::string name;
  const tagQXINTRFCRESULT result = ReadLibraryText(
      [&](char* buffer, unsigned long size, unsigned long* needed) {
        return QXGetObjectKey(clsid, objectId, buffer, size, needed);
      },
      &name);
  if (result != QXIR_SUCCESS) {
    return Failure(parsed,
                   {"looking up the name of object " + objectIdText + " of " + clsidText +
                        " failed: QXGetObjectKey returned " + DescribeResult(result) +
                        (result == QXIR_REGISTRY_ERROR ? " (no object ID map holds it)" : ""),
                    ResultCode(result)});
  }
  PrintObject(parsed, clsidText, name, objectIdText);
  return kExitSuccess;
}

}  // namespace pidtool
