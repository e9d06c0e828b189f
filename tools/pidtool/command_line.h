#pragma once
// pidtool's command line: `pidtool <command> [options] [arguments]`, the help of the tool
// and of each command, and the checks that send bad arguments back with the usage.

#include <string>
#include <vector>

namespace pidtool {

// The category of the product identification plug-ins, listed when `list` is given none.
constexpr char kDefaultCategory[] = "CATEGORY_ProductIdentification";

enum class CommandId { Register, Unregister, List, Products, Show, Id, Name, Doctor };

struct CommandSpec {
  CommandId id;
  const char* name;
  const char* arguments;  // as the usage line shows them, e.g. "<module file>"
  int minArguments;
  int maxArguments;
  const char* summary;  // one line for the tool's help
  const char* details;  // the rest of the command's help
};

// Every command, in the order the tool's help lists them.
const std::vector<CommandSpec>& Commands();

struct ParsedCommandLine {
  enum class Action {
    Run,       // run `command` with `arguments`
    ShowHelp,  // print the help of `command`, or of the tool when it is null; exit 0
    BadUsage,  // print `error` and the usage of `command` (or of the tool); exit 2
  };
  Action action = Action::BadUsage;
  const CommandSpec* command = nullptr;
  std::vector<std::string> arguments;
  bool json = false;
  // doctor's options: --host-dir DIR and --load.
  std::string hostDir;
  bool load = false;
  std::string error;
};

// `words` is the command line without the program name.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& words);

std::string ToolHelp();
std::string ToolUsage();
std::string CommandHelp(const CommandSpec& command);
std::string CommandUsage(const CommandSpec& command);

// Exit statuses.
constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitBadUsage = 2;

}  // namespace pidtool
