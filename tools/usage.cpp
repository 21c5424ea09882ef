#include "tools/usage.h"

#include <cstdio>

namespace pelok {
namespace tool {

namespace {

constexpr const char kToolHelp[] =
    "Usage: pelreg [OPTIONS] COMMAND [ARGUMENTS]\n"
    "\n"
    "Reads and changes the keys and values of a PelReg store file.\n"
    "\n"
    "Commands:\n"
    "  get KEY NAME                 print a value\n"
    "  set KEY NAME VALUE [--type text|int|binary]\n"
    "                               create the key if needed and set the value\n"
    "  delete KEY [NAME]            delete a value, or the key with everything below it\n"
    "  list KEY                     the values of a key: name, type, size, data\n"
    "  tree [KEY]                   the keys and values below a key, as a tree\n"
    "  export KEY FILE              write a key with everything below it as a store file\n"
    "  import FILE                  merge a store file into the store\n"
    "  help [COMMAND]               this text, or the help of a command\n"
    "The verbs query (get, or list with only a KEY), add (set), delete, export and import\n"
    "are accepted as well.\n"
    "\n"
    "KEY is a path whose first part names the root: root, pelok, share, user or winreg\n"
    "(share/app/net). Key names are kept in lower case; value names as they are written.\n"
    "\n"
    "Options:\n"
    "  --store FILE      the store file (default registry.xml); a relative name is taken\n"
    "                    relative to the current directory\n"
    "  --registry FILE   the DLL registry file that names the modules (default Pelok.ini\n"
    "                    beside pelreg)\n"
    "  --kind 2|3        the kind of the keys opened (default 2)\n"
    "  --help            this text; after a command, the command's help\n"
    "\n"
    "Exit status: 0 success, 1 a key or value is not there, 2 usage error, 3 a failure of\n"
    "the registry, the store file or another file.\n";

struct CommandHelp {
  const char* words[2];
  const char* text;
};

constexpr CommandHelp kCommandHelp[] = {
    {{"get", nullptr},
     "Usage: pelreg get KEY NAME\n"
     "\n"
     "Prints the value NAME of KEY: text as it is, a 32-bit number in decimal, binary data\n"
     "as upper-case hexadecimal. Exit status 1 when the key or the value is not there.\n"},
    {{"set", "add"},
     "Usage: pelreg set KEY NAME VALUE [--type text|int|binary]\n"
     "\n"
     "Creates KEY (and the keys above it) if needed and sets its value NAME.\n"
     "  --type text     VALUE is stored as it is (the default)\n"
     "  --type int      VALUE is a 32-bit number: decimal (a negative number is kept as its\n"
     "                  32-bit two's complement) or hexadecimal after 0x\n"
     "  --type binary   VALUE is hexadecimal digits, two per byte (01AB)\n"},
    {{"delete", nullptr},
     "Usage: pelreg delete KEY [NAME]\n"
     "\n"
     "Deletes the value NAME of KEY or, without NAME, KEY with every key and value below\n"
     "it. Exit status 1 when the key or the value is not there.\n"},
    {{"list", nullptr},
     "Usage: pelreg list KEY\n"
     "\n"
     "Prints the values of KEY, one a line: name, type, size in bytes and data, separated\n"
     "by tabs. Control characters in text are shown as \\n, \\t, \\r or \\xNN.\n"},
    {{"query", nullptr},
     "Usage: pelreg query KEY [NAME]\n"
     "\n"
     "With NAME the same as get, without it the same as list.\n"},
    {{"tree", nullptr},
     "Usage: pelreg tree [KEY]\n"
     "\n"
     "Prints the keys and values stored below KEY (the whole store without KEY), indented\n"
     "by two spaces a level. A value is shown as: name (type) = data.\n"},
    {{"export", nullptr},
     "Usage: pelreg export KEY FILE\n"
     "\n"
     "Writes KEY with every key and value below it to FILE, a store file of the same\n"
     "format that holds the key under its full path. FILE is replaced.\n"},
    {{"import", nullptr},
     "Usage: pelreg import FILE\n"
     "\n"
     "Merges the keys and values of the store file FILE into the store: values of the same\n"
     "name are overwritten, nothing else is removed. FILE is checked first; when it cannot\n"
     "be merged, the store is not changed.\n"},
    {{"help", nullptr},
     "Usage: pelreg help [COMMAND]\n"
     "\n"
     "Prints the help of pelreg or of one command.\n"},
};

}  // namespace

bool PrintHelp(const std::string& command) {
  if (command.empty()) {
    std::fputs(kToolHelp, stdout);
    return true;
  }
  for (const CommandHelp& help : kCommandHelp) {
    for (const char* word : help.words) {
      if (word != nullptr && command == word) {
        std::fputs(help.text, stdout);
        return true;
      }
    }
  }
  return false;
}

}  // namespace tool
}  // namespace pelok
