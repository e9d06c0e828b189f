#include "doctor/reg_commands.h"

#include <cstring>

#include "cli/text_format.h"

namespace pidtool {
namespace {

// Whether a command prompt passes `name` on as it stands inside double quotes: no quote to end
// the quoting, no % to expand, none of ^ & | < > to act on should the quoting break, and no
// control character (a line break ends a pasted command and starts the next). And whether the
// text output shows it whole: a character the ANSI code page lacks would show as '?'.
bool IsSafeToPaste(const std::string& name) {
  for (unsigned char c : name) {
    if (c < 0x20 || c == 0x7F || std::strchr("\"%^&|<>", c) != nullptr) return false;
  }
  std::string ansi;
  return Utf8ToAnsi(name, &ansi);
}

// `text` in double quotes for reg.exe, whose argument parsing reads a backslash just before a
// quote as an escape: backslashes at the end are doubled.
std::string Quoted(const std::string& text) {
  std::string quoted = "\"" + text;
  for (auto at = text.rbegin(); at != text.rend() && *at == '\\'; ++at) quoted += '\\';
  return quoted + "\"";
}

// reg.exe commands in the view this tool reads (HKEY_CURRENT_USER\Software is shared).
std::string ViewFlag(const RootView& root) {
  return root.perMachine ? Printf(" /reg:%d", root.viewBits) : "";
}

std::string ByHand(const RootView& root, const std::string& what, const std::string& keyPath) {
  const std::string wow64 =
      root.perMachine && root.viewBits == 32
          ? " (which 64-bit Windows shows under HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node)"
          : "";
  return "in regedit, delete the " + what + " in " + root.name + "\\" + keyPath + wow64 +
         " (no command is given: a name there holds characters that a command prompt would act on, "
         "or that the ANSI code page lacks)";
}

std::string KeyArgument(const RootView& root, const std::string& path) {
  return Quoted(std::string(root.shortName) + "\\" + path);
}

}  // namespace

std::string DeleteKeyCommand(const RootView& root, const std::string& path) {
  if (!IsSafeToPaste(path)) {
    const std::size_t last = path.find_last_of('\\');
    return ByHand(root, "key '" + path.substr(last + 1) + "'", path.substr(0, last));
  }
  return "reg delete " + KeyArgument(root, path) + " /f" + ViewFlag(root);
}

std::string DeleteValueCommand(const RootView& root, const std::string& path,
                               const std::string& name) {
  if (!IsSafeToPaste(path) || !IsSafeToPaste(name)) {
    return ByHand(root, name.empty() ? "default value" : "value '" + name + "'", path);
  }
  const std::string which = name.empty() ? "/ve" : "/v " + Quoted(name);
  return "reg delete " + KeyArgument(root, path) + " " + which + " /f" + ViewFlag(root);
}

std::string SetRefCountCommand(const RootView& root, const std::string& path) {
  return "reg add \"" + std::string(root.shortName) + "\\" + path +
         "\" /v RefCount /t REG_DWORD /d <count> /f" + ViewFlag(root);
}

}  // namespace pidtool
