#include "command_line.h"

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

}  // namespace

const std::vector<CommandSpec>& Commands() {
  static const std::vector<CommandSpec> commands = {
      {CommandId::Register, "register", "<module file>", 1, 1,
       "call a module's DllRegisterServer",
       "Loads the module file with LoadLibraryA, calls its DllRegisterServer export and\n"
       "reports the HRESULT by name and number. If DllRegisterServer fails, the module's\n"
       "DllUnregisterServer is called to take back what it may have written. The module is\n"
       "always unloaded again. A file that cannot be loaded, or that has no DllRegisterServer\n"
       "export, is a failure.\n"},
      {CommandId::Unregister, "unregister", "<module file>", 1, 1,
       "call a module's DllUnregisterServer",
       "Loads the module file with LoadLibraryA, calls its DllUnregisterServer export and\n"
       "reports the HRESULT by name and number. The module is always unloaded again.\n"},
      {CommandId::List, "list", "[category]", 0, 1,
       "list the components of a category",
       "Prints the CLSID and the friendly name of every component registered in the category\n"
       "(QXEnumComponents, QXGetComponentFriendlyName). Without a category the product\n"
       "identification plug-ins are listed (CATEGORY_ProductIdentification). A category that\n"
       "does not exist is a failure (QXIR_KEY_NOT_FOUND).\n"},
      {CommandId::Products, "products", "", 0, 0,
       "print the products the plug-ins report",
       "For every component of CATEGORY_ProductIdentification: creates it with\n"
       "QXCreateInstance for IProductIdentification, calls EnumerateProducts and prints every\n"
       "record decoded (product code as 16 hexadecimal digits, kind, whether the driver is\n"
       "loaded, product name, driver version major.minor.build and the user-interface\n"
       "languages as tags), then releases the plug-in and calls QXFreeUnusedLibraries.\n"
       "A plug-in that reports no product says that the system knows no supported camera.\n"},
      {CommandId::Show, "show", "<clsid>", 1, 1,
       "print a component's name, File, RefCount, values",
       "Prints the component's key under HKEY_LOCAL_MACHINE (as\n"
       "QXQueryRegistrySubKeyNameForComponent names it), its friendly name, its \"File\" and\n"
       "\"RefCount\" values, every other value (component properties) and its sub-keys.\n"
       "A CLSID that is not registered is a failure (QXIR_KEY_NOT_FOUND).\n"
       "The CLSID is written {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}; the braces may be left out.\n"},
      {CommandId::Id, "id", "<clsid> <object name>", 2, 2,
       "print an object name's identifier (assigns one)",
       "Prints the object identifier that the registered component keeps for the object name\n"
       "(QXGenerateObjectID, never forcing a new one). When the name has no identifier yet,\n"
       "one is assigned and stored in the component's object ID map, so later calls print the\n"
       "same identifier. A CLSID that is not registered is a failure (QXIR_KEY_NOT_FOUND) and\n"
       "nothing is written for it.\n"},
      {CommandId::Name, "name", "<clsid> <object id>", 2, 2,
       "print the object name of an identifier",
       "Prints the object name that the component's object ID map gives the identifier\n"
       "(QXGetObjectKey: the per-machine map first, then the per-user map). An identifier\n"
       "found in neither map is a failure (QXIR_REGISTRY_ERROR).\n"},
      {CommandId::Doctor, "doctor", "[--host-dir DIR] [--load]", 0, 0,
       "find what is wrong with the component registry",
       "Walks the component registry under HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER in this\n"
       "tool's registry view and prints one line per finding: severity (error: a host will\n"
       "fail; warning: a host may fail, or the data is stray; note), a short code, the key,\n"
       "what is wrong and what to do about it; then a line counting them. It checks each\n"
       "component's friendly name, \"File\" (that the module exists, is a DLL of this tool's\n"
       "width and exports DllGetClassObject and DllCanUnloadNow, read from its headers) and\n"
       "\"RefCount\"; the category entries; the object ID maps and object keys of both roots;\n"
       "and keys and values that belong to no part of the registry layout.\n"
       "It writes nothing, and runs no component's code unless --load is given.\n"
       "\n"
       "  --host-dir DIR  where a bare \"File\" name is looked for, as QXCreateInstance looks\n"
       "                  beside the host's executable (default: this tool's folder)\n"
       "  --load          also load each module and ask its DllGetClassObject for the CLSID's\n"
       "                  class object, then free it\n"
       "\n"
       "Exit status 1 means at least one error was found.\n"},
  };
  return commands;
}

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& words) {
  if (words.empty()) return BadUsage(nullptr, "no command given");
  const std::string& first = words.front();
  if (IsHelpWord(first) || first == "help") {
    if (words.size() == 1) return Help(nullptr);
    const CommandSpec* command = FindCommand(words[1]);
    if (command == nullptr || words.size() > 2) {
      return BadUsage(nullptr, "help takes one command name: pidtool help <command>");
    }
    return Help(command);
  }
  const CommandSpec* command = FindCommand(first);
  if (command == nullptr) {
    if (!first.empty() && first[0] == '-') return BadUsage(nullptr, "unknown option '" + first + "'");
    return BadUsage(nullptr, "unknown command '" + first + "'");
  }

  ParsedCommandLine parsed;
  parsed.command = command;
  bool optionsEnded = false;
  for (std::size_t i = 1; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (!optionsEnded && word == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && IsHelpWord(word)) {
      return Help(command);
    } else if (!optionsEnded && word == "--json") {
      parsed.json = true;
    } else if (!optionsEnded && command->id == CommandId::Doctor && word == "--load") {
      parsed.load = true;
    } else if (!optionsEnded && command->id == CommandId::Doctor && word == "--host-dir") {
      if (i + 1 == words.size() || words[i + 1].empty()) return BadUsage(command, "--host-dir needs a folder");
      parsed.hostDir = words[++i];
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

std::string CommandUsage(const CommandSpec& command) {
  std::string line = std::string("Usage: pidtool ") + command.name + " [--json]";
  if (command.arguments[0] != '\0') line += std::string(" ") + command.arguments;
  return line + "\n";
}

std::string ToolUsage() {
  return "Usage: pidtool <command> [--json] [arguments]\n"
         "Commands: register, unregister, list, products, show, id, name, doctor\n"
         "Run 'pidtool --help' for details, or 'pidtool <command> --help'.\n";
}

std::string CommandHelp(const CommandSpec& command) {
  return CommandUsage(command) + "\n" + command.details +
         "\nOptions:\n"
         "  --json    print the result as JSON for scripts (failures stay one line on stderr)\n"
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
          "  --json    print the result as JSON for scripts (every command)\n"
          "  --help    print this help; 'pidtool <command> --help' prints a command's help\n"
          "\nCLSIDs and object identifiers are written {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}.\n"
          "The default category is " + kDefaultCategory + ".\n"
          "Every failure prints one line on stderr naming what was being done and the result\n"
          "(tagQXINTRFCRESULT or HRESULT, by name and number), also with --json.\n"
          "\nExit status: 0 on success, 1 on failure, 2 for bad arguments.\n";
  return text;
}

}  // namespace pidtool
