#pragma once
// pidtool's command line: `pidtool <command> [options] [arguments]`, the global options
// (--json, --version, --help) before or after the command, the table of commands,
// the help of the tool and of each command, and the checks that send bad arguments back with
// the usage.

#include <map>
#include <string>
#include <vector>

namespace pidtool {

// The category of the product identification plug-ins, listed when `list` is given none.
constexpr char kDefaultCategory[] = "CATEGORY_ProductIdentification";

// Options every command takes, before or after the command's name.
constexpr char kJsonOption[] = "--json";
constexpr char kVersionOption[] = "--version";

enum class CommandId { Register, Unregister, List, Products, Show, Id, Name, Doctor };

struct ParsedCommandLine;

// Runs a parsed command: prints its result on stdout (text, or JSON with --json), one line on
// stderr for each failure, and returns the exit status.
using RunCommand = int (*)(const ParsedCommandLine& parsed);

// An option that only one command takes.
struct OptionSpec {
  const char* name;   // e.g. "--host-dir"
  const char* value;  // what must follow it, e.g. "a folder"; null for a flag
};

struct CommandSpec {
  CommandId id;
  const char* name;
  const char* arguments;  // as the usage line shows them, e.g. "<module file>"
  int minArguments;
  int maxArguments;
  const char* summary;  // one line for the tool's help
  const char* details;  // the rest of the command's help
  std::vector<OptionSpec> options;
  RunCommand run;
};

// Every command, in the order the tool's help lists them.
const std::vector<CommandSpec>& Commands();

struct ParsedCommandLine {
  enum class Action {
    Run,          // run `command` with `arguments`
    ShowHelp,     // print the help of `command`, or of the tool when it is null; exit 0
    ShowVersion,  // print the tool's and the module's versions; exit 0
    BadUsage,     // print `error` and the usage of `command` (or of the tool); exit 2
  };
  Action action = Action::BadUsage;
  const CommandSpec* command = nullptr;
  std::vector<std::string> arguments;
  bool json = false;  // --json was given, wherever it stood
  // The command's own options given, by name, with their values ("" for a flag).
  std::map<std::string, std::string> options;
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
