// The table of the tool's commands: each command's name, arguments, help, own options and
// the function that runs it.
#include "cli/command_line.h"

namespace pidtool {

// Each defined in the file of its command.
int RunRegistration(const ParsedCommandLine& parsed);  // register and unregister
int RunList(const ParsedCommandLine& parsed);
int RunProducts(const ParsedCommandLine& parsed);
int RunShow(const ParsedCommandLine& parsed);
int RunObjectId(const ParsedCommandLine& parsed);
int RunObjectName(const ParsedCommandLine& parsed);
int RunDoctor(const ParsedCommandLine& parsed);

namespace {

const std::vector<CommandSpec> kCommands = {
    {CommandId::Register,
     "register",
     "<module file>",
     1,
     1,
     "call a module's DllRegisterServer",
     "Loads the module file with LoadLibraryW, calls its DllRegisterServer export and\n"
     "reports the HRESULT by name and number. If DllRegisterServer fails, the module's\n"
     "DllUnregisterServer is called to take back what it may have written. The module is\n"
     "always unloaded again. A file that cannot be loaded, or that has no DllRegisterServer\n"
     "export, is a failure.\n",
     {},
     RunRegistration},
    {CommandId::Unregister,
     "unregister",
     "<module file>",
     1,
     1,
     "call a module's DllUnregisterServer",
     "Loads the module file with LoadLibraryW, calls its DllUnregisterServer export and\n"
     "reports the HRESULT by name and number. The module is always unloaded again.\n",
     {},
     RunRegistration},
    {CommandId::List,
     "list",
     "[category]",
     0,
     1,
     "list the components of a category",
     "Prints the CLSID and the friendly name of every component registered in the category\n"
     "(QXEnumComponents, QXGetComponentFriendlyName). Without a category the product\n"
     "identification plug-ins are listed (CATEGORY_ProductIdentification). A category that\n"
     "does not exist is a failure (QXIR_KEY_NOT_FOUND).\n",
     {},
     RunList},
    {CommandId::Products,
     "products",
     "",
     0,
     0,
     "print the products the plug-ins report",
     "For every component of CATEGORY_ProductIdentification: creates it with\n"
     "QXCreateInstance for IProductIdentification, calls EnumerateProducts and prints every\n"
     "record decoded (product code as 16 hexadecimal digits, kind, whether the driver is\n"
     "loaded, product name, driver version major.minor.build and the user-interface\n"
     "languages as tags), then releases the plug-in and calls QXFreeUnusedLibraries.\n"
     "A plug-in that reports no product says that the system knows no supported camera.\n",
     {},
     RunProducts},
    {CommandId::Show,
     "show",
     "<clsid>",
     1,
     1,
     "print a component's name, File, RefCount, values",
     "Prints the component's key under HKEY_LOCAL_MACHINE (as\n"
     "QXQueryRegistrySubKeyNameForComponent names it), its friendly name, its \"File\" and\n"
     "\"RefCount\" values, every other value (component properties) and its sub-keys.\n"
     "A CLSID that is not registered is a failure (QXIR_KEY_NOT_FOUND).\n"
     "The CLSID is written {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}; the braces may be left out.\n",
     {},
     RunShow},
    {CommandId::Id,
     "id",
     "<clsid> <object name>",
     2,
     2,
     "print an object name's identifier (assigns one)",
     "Prints the object identifier that the registered component keeps for the object name\n"
     "(QXGenerateObjectID, never forcing a new one). When the name has no identifier yet,\n"
     "one is assigned and stored in the component's object ID map, so later calls print the\n"
     "same identifier. A CLSID that is not registered is a failure (QXIR_KEY_NOT_FOUND) and\n"
     "nothing is written for it.\n",
     {},
     RunObjectId},
    {CommandId::Name,
     "name",
     "<clsid> <object id>",
     2,
     2,
     "print the object name of an identifier",
     "Prints the object name that the component's object ID map gives the identifier\n"
     "(QXGetObjectKey: the per-machine map first, then the per-user map). An identifier\n"
     "found in neither map is a failure (QXIR_REGISTRY_ERROR).\n",
     {},
     RunObjectName},
    {CommandId::Doctor,
     "doctor",
     "[--host-dir DIR] [--load]",
     0,
     0,
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
     "                  class object, then free it; each module in a pidtool process of its\n"
     "                  own, so that one that crashes or hangs becomes a finding\n"
     "\n"
     "Exit status 1 means at least one error was found.\n",
     {{"--host-dir", "a folder"},
      {"--load", nullptr},
      // The child process that --load runs for each module.
      {"--probe-module", "a module file"},
      {"--probe-clsid", "a CLSID"}},
     RunDoctor},
};

}  // namespace

const std::vector<CommandSpec>& Commands() { return kCommands; }

}  // namespace pidtool
