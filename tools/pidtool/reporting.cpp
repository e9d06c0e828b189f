#include "reporting.h"

#include <cstdio>

#include "guid_text.h"

namespace pidtool {

void PrintOut(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

int Failure(const CommandSpec& command, const std::string& what) {
  std::fprintf(stderr, "pidtool %s: %s\n", command.name, what.c_str());
  std::fflush(stderr);
  return kExitFailure;
}

int BadArguments(const CommandSpec& command, const std::string& what) {
  std::fprintf(stderr, "pidtool %s: %s\n%s", command.name, what.c_str(), CommandUsage(command).c_str());
  std::fflush(stderr);
  return kExitBadUsage;
}

bool GuidArgument(const ParsedCommandLine& parsed, std::size_t index, const char* what, GUID* guid,
                  int* status) {
  const std::string& text = parsed.arguments[index];
  if (ParseGuid(text, guid)) return true;
  *status = BadArguments(*parsed.command,
                         "'" + text + "' is not " + what +
                             " (write {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX})");
  return false;
}

}  // namespace pidtool
