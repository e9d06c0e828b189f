// list and show: what the component registry holds for a category or a component.
#include <utility>

#include "cli/command_line.h"
#include "cli/guid_text.h"
#include "cli/json.h"
#include "cli/reporting.h"
#include "cli/result_names.h"
#include "cli/text_format.h"
#include "commands/component_queries.h"
#include "commands/registry_values.h"
#include "shared/registry_layout_names.h"
#include "shared/registry_name_compare.h"

namespace pidtool {
namespace {

std::string Returned(const char* function, tagQXINTRFCRESULT result) {
  return std::string(function) + " returned " + DescribeResult(result);
}

const RegistryValue* FindValue(const RegistryKeyContents& contents, const char* name) {
  for (const RegistryValue& value : contents.values) {
    if (rm::SameRegistryName(value.name.c_str(), name)) return &value;
  }
  return nullptr;
}

// "Label          first line", further lines aligned under the first.
std::string Field(const std::string& label, const std::vector<std::string>& lines) {
  constexpr std::size_t kWidth = 15;
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string left = i == 0 ? label : std::string();
    left.resize(kWidth, ' ');
    text += left + lines[i] + "\n";
  }
  return text;
}

bool IsRegistrationValue(const RegistryValue& value) {
  return value.name.empty() || rm::SameRegistryName(value.name.c_str(), rm::kFileValueName) ||
         rm::SameRegistryName(value.name.c_str(), rm::kRefCountValueName);
}

// What `show` prints of a component key: its registration values first, then the rest.
std::string ShowJson(const std::string& clsidText, const std::string& keyName,
                     const std::string& name, const RegistryKeyContents& contents) {
  Json json = {
      {"clsid", clsidText}, {"key", "HKEY_LOCAL_MACHINE\\" + keyName}, {"friendlyName", name}};
  for (const auto& [key, valueName] :
       {std::pair{"file", rm::kFileValueName}, std::pair{"refCount", rm::kRefCountValueName}}) {
    const RegistryValue* value = FindValue(contents, valueName);
    json[key] = value != nullptr ? RegistryValueJson(*value) : Json();
  }
  Json& others = json["otherValues"] = Json::array();
  for (const RegistryValue& value : contents.values) {
    if (!IsRegistrationValue(value)) others.push_back(RegistryValueJson(value));
  }
  json["subKeys"] = contents.subKeys;
  return JsonText(json);
}

std::string ShowText(const std::string& clsidText, const std::string& keyName,
                     const std::string& name, const RegistryKeyContents& contents) {
  const RegistryValue* file = FindValue(contents, rm::kFileValueName);
  const RegistryValue* refCount = FindValue(contents, rm::kRefCountValueName);
  std::vector<std::string> others;
  for (const RegistryValue& value : contents.values) {
    if (IsRegistrationValue(value)) continue;
    others.push_back(value.name + " (" + RegistryTypeName(value.type) +
                     ") = " + RegistryDataText(value));
  }
  std::string text;
  text += Field("Component", {clsidText});
  text += Field("Key", {"HKEY_LOCAL_MACHINE\\" + keyName});
  text += Field("Friendly name", {name});
  text += Field("File", {file != nullptr ? RegistryDataText(*file) : "(none)"});
  text += Field("RefCount", {refCount != nullptr ? RegistryDataText(*refCount)
                                                 : "(none: a plain registration)"});
  text += Field("Other values", others.empty() ? std::vector<std::string>{"(none)"} : others);
  text += Field("Sub-keys",
                contents.subKeys.empty() ? std::vector<std::string>{"(none)"} : contents.subKeys);
  return text;
}

}  // namespace

int RunList(const ParsedCommandLine& parsed) {
  const CommandSpec& command = *parsed.command;
  const std::string category = parsed.arguments.empty() ? kDefaultCategory : parsed.arguments[0];
  std::string ansiCategory;
  if (!Utf8ToAnsi(category, &ansiCategory)) return UnpassableName(parsed, "category", category);

  std::vector<GUID> clsids;
  const tagQXINTRFCRESULT listed = ComponentsOfCategory(ansiCategory, &clsids);
  if (listed != QXIR_SUCCESS) {
    return Failure(parsed, {"listing the components of category '" + category +
                                "' failed: " + Returned("QXEnumComponents", listed),
                            ResultCode(listed)});
  }

  std::vector<Problem> problems;
  Json json = {{"category", category}, {"components", Json::array()}};
  std::string text =
      Printf("Category %s: %lu component%s\n", category.c_str(),
             static_cast<unsigned long>(clsids.size()), clsids.size() == 1 ? "" : "s");
  for (const GUID& clsid : clsids) {
    const std::string clsidText = FormatGuid(clsid);
    std::string name;
    const tagQXINTRFCRESULT named = ComponentFriendlyName(clsid, &name);
    if (named != QXIR_SUCCESS) {
      problems.push_back({"reading the friendly name of " + clsidText +
                              " failed: " + Returned("QXGetComponentFriendlyName", named),
                          ResultCode(named)});
      NoteFailure(command, problems.back());
    }
    text += "  " + clsidText + "  " + (named == QXIR_SUCCESS ? name : "(no friendly name)") + "\n";
    json["components"].push_back(
        {{"clsid", clsidText}, {"friendlyName", named == QXIR_SUCCESS ? Json(name) : Json()}});
  }
  AddProblemsJson(json, problems);
  PrintOut(parsed.json ? JsonText(json) : text);
  return problems.empty() ? kExitSuccess : kExitFailure;
}

int RunShow(const ParsedCommandLine& parsed) {
  GUID clsid{};
  int status = kExitFailure;
  if (!GuidArgument(parsed, 0, "a CLSID", &clsid, &status)) return status;
  const std::string clsidText = FormatGuid(clsid);

  std::string name;
  const tagQXINTRFCRESULT named = ComponentFriendlyName(clsid, &name);
  if (named != QXIR_SUCCESS) {
    return Failure(parsed, {clsidText + " is not a registered component: " +
                                Returned("QXGetComponentFriendlyName", named),
                            ResultCode(named)});
  }
  std::string keyName;
  const tagQXINTRFCRESULT keyed = ComponentKeyName(clsid, &keyName);
  if (keyed != QXIR_SUCCESS) {
    return Failure(parsed, {"naming the registry key of " + clsidText + " failed: " +
                                Returned("QXQueryRegistrySubKeyNameForComponent", keyed),
                            ResultCode(keyed)});
  }
  RegistryKeyContents contents;
  const DWORD read = ReadRegistryKey(HKEY_LOCAL_MACHINE, keyName, &contents);
  if (read != ERROR_SUCCESS) {
    return Failure(parsed, {"reading HKEY_LOCAL_MACHINE\\" + keyName + " failed with " +
                                DescribeWindowsError(read),
                            WindowsErrorCode(read)});
  }
  PrintOut(parsed.json ? ShowJson(clsidText, keyName, name, contents)
                       : ShowText(clsidText, keyName, name, contents));
  return kExitSuccess;
}

}  // namespace pidtool
