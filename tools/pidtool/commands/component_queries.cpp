#include "commands/component_queries.h"

#include "commands/text_query.h"

namespace pidtool {

tagQXINTRFCRESULT ComponentsOfCategory(const std::string& ansiCategory, std::vector<GUID>* clsids) {
  unsigned long count = 0;
  tagQXINTRFCRESULT result = QXEnumComponents(ansiCategory.c_str(), nullptr, &count);
  if (result != QXIR_SUCCESS) return result;
  clsids->assign(count, GUID{});
  if (count == 0) return result;
  result = QXEnumComponents(ansiCategory.c_str(), clsids->data(), &count);
  if (result == QXIR_SUCCESS && count < clsids->size()) clsids->resize(count);
  return result;
}

tagQXINTRFCRESULT ComponentFriendlyName(const GUID& clsid, std::string* name) {
  return ReadLibraryText(
      [&](char* buffer, unsigned long size, unsigned long* needed) {
        return QXGetComponentFriendlyName(clsid, buffer, size, needed);
      },
      name);
}

tagQXINTRFCRESULT ComponentKeyName(const GUID& clsid, std::string* keyName) {
  return ReadLibraryText(
      [&](char* buffer, unsigned long size, unsigned long* needed) {
        return QXQueryRegistrySubKeyNameForComponent(clsid, buffer, size, needed);
      },
      keyName);
}

}  // namespace pidtool
