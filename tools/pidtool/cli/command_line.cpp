#include "cli/command_line.h"

namespace pidtool {
namespace {

bool IsHelpWord(const std::string& word) { return word == "--help" || word == "-h"; }

const CommandSpec* FindCommand(const std::string& name) {
  for (const CommandSpec& command : Commands()) {
    if (name == command.name) return &command;
  }
  return nullptr;
}

ParsedCommandLine BadUsage(const CommandSpec* command, std::string error) {
  ParsedCommandLine parsed;
  parsed.action = ParsedCommandLine::Action::BadUsage;
  parsed.command = command;
  parsed.error = std::move(error);
  return parsed;
}

ParsedCommandLine Help(const CommandSpec* command) {
  ParsedCommandLine parsed;
  parsed.action = ParsedCommandLine::Action::ShowHelp;
  parsed.command = command;
  return parsed;
}

const OptionSpec* FindOption(const CommandSpec& command, const std::string& name) {
  for (const OptionSpec& option : command.options) {
    if (name == option.name) return &option;
  }
  return nullptr;
}

std::string ArgumentCountError(const CommandSpec& command, std::size_t given) {
  std::string expected;
  if (command.maxArguments == 0) {
    expected = "takes no arguments";
  } else {
    expected = std::string("takes ") + command.arguments;
  }
  return std::string(command.name) + " " + expected + " (" + std::to_string(given) +
         (given == 1 ? " argument" : " arguments") + " given)";
}

ParsedCommandLine Version() {
  ParsedCommandLine parsed;
  parsed.action = ParsedCommandLine::Action::ShowVersion;
  return parsed;
}

// The global options --json and --version may stand before the command as well as after it.
ParsedCommandLine ParseWords(const std::vector<std::string>& words) {
  std::size_t first = 0;
  while (first < words.size() && (words[first] == kJsonOption || words[first] == kVersionOption)) {
    if (words[first] == kVersionOption) return Version();
    ++first;
  }
  if (first == words.size()) return BadUsage(nullptr, "no command given");
  const std::string& name = words[first];
  if (IsHelpWord(name) || name == "help") {
    if (words.size() == first + 1) return Help(nullptr);
    const CommandSpec* command = FindCommand(words[first + 1]);
    if (command == nullptr || words.size() > first + 2) {
      return BadUsage(nullptr, "help takes one command name: pidtool help <command>");
    }
    return Help(command);
  }
  const CommandSpec* command = FindCommand(name);
  if (command == nullptr) {
    if (!name.empty() && name[0] == '-') return BadUsage(nullptr, "unknown option '" + name + "'");
    return BadUsage(nullptr, "unknown command '" + name + "'");
  }

  ParsedCommandLine parsed;
  parsed.command = command;
  bool optionsEnded = false;
  for (std::size_t i = first + 1; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (!optionsEnded && word == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && IsHelpWord(word)) {
      return Help(command);
    } else if (!optionsEnded && word == kVersionOption) {
      return Version();
    } else if (!optionsEnded && word == kJsonOption) {
      continue;
    } else if (const OptionSpec* option = optionsEnded ? nullptr : FindOption(*command, word)) {
      std::string value;
      if (option->value != nullptr) {
        if (i + 1 == words.size() || words[i + 1].empty()) {
          return BadUsage(command, word + " needs " + option->value);
        }
        value = words[++i];
      }
      parsed.options[word] = value;
    } else if (!optionsEnded && word.size() > 1 && word[0] == '-') {
      return BadUsage(command, "unknown option '" + word + "'");
    } else {
      parsed.arguments.push_back(word);
    }
  }
  const auto count = static_cast<int>(parsed.arguments.size());
  if (count < command->minArguments || count > command->maxArguments) {
    return BadUsage(command, ArgumentCountError(*command, parsed.arguments.size()));
  }
  parsed.action = ParsedCommandLine::Action::Run;
  return parsed;
}

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& words) {
  ParsedCommandLine parsed = ParseWords(words);
  // --json is a global option, so even bad arguments are reported as JSON when it is given.
  for (const std::string& word : words) {
    if (word == "--") break;
    if (word == kJsonOption) parsed.json = true;
  }
  return parsed;
}

std::string CommandUsage(const CommandSpec& command) {
  std::string line = std::string("Usage: pidtool ") + command.name + " [--json]";
  if (command.arguments[0] != '\0') line += std::string(" ") + command.arguments;
  return line + "\n";
}

std::string ToolUsage() {
  std::string names;
  for (const CommandSpec& command : Commands())
    names += (names.empty() ? "" : ", ") + std::string(command.name);
  return "Usage: pidtool <command> [--json] [arguments]\nCommands: " + names +
         "\nRun 'pidtool --help' for details, or 'pidtool <command> --help'; 'pidtool --version'\n"
         "prints the versions.\n";
}

std::string CommandHelp(const CommandSpec& command) {
  return CommandUsage(command) + "\n" + command.details +
         "\nOptions:\n"
         "  --json    print the result as JSON for scripts (a failure as an \"error\" object)\n"
         "  --help    print this help\n"
         "\nExit status: 0 on success, 1 on failure, 2 for bad arguments.\n";
}

std::string ToolHelp() {
  std::string text =
      "pidtool: registers, finds, creates and inspects the components of the component\n"
      "registry and prints the products that the product identification plug-ins report.\n"
      "\nUsage: pidtool <command> [--json] [arguments]\n\nCommands:\n";
  for (const CommandSpec& command : Commands()) {
    std::string left = std::string(command.name) + " " + command.arguments;
    left.resize(left.size() < 26 ? 26 : left.size() + 1, ' ');
    text += "  " + left + command.summary + "\n";
  }
  text += std::string("\nOptions:\n") +
          "  --json     print the result as JSON for scripts (every command; before or after it)\n"
          "  --help     print this help; 'pidtool <command> --help' prints a command's help\n"
          "  --version  print the versions of pidtool and of the Rm7731.pid it uses\n"
          "\nCLSIDs and object identifiers are written {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}.\n"
          "The default category is " +
          kDefaultCategory +
          ".\n"
          "Every failure prints one line on stderr naming what was being done and the result\n"
          "(tagQXINTRFCRESULT, HRESULT or Windows error, by name and number); with --json it\n"
          "also prints {\"error\": <that line>, \"code\": <number>, \"name\": <name>} on stdout\n"
          "(code and name are null when no call's result is to blame).\n"
          "\nExit status: 0 on success, 1 on failure, 2 for bad arguments.\n";
  return text;
}

}  // namespace pidtool
