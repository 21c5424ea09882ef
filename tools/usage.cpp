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
    "  set KEY NAME VALUE [--type TYPE]\n"
    "  set KEY NAME --from-file FILE [--type TYPE]\n"
    "                               create the key if needed and set the value\n"
    "  delete KEY [NAME] [--force]  delete a value, or the key with everything below it\n"
    "  list KEY [-r] [--json | -z]  the values and sub-keys of a key\n"
    "  tree [KEY] [--json]          the keys and values below a key, as a tree\n"
    "  export KEY FILE              write a key with everything below it as a store file\n"
    "                               (FILE - is standard output)\n"
    "  import FILE                  merge a store file into the store (FILE - is standard\n"
    "                               input)\n"
    "  help [COMMAND]               this text, or the help of a command\n"
    "\n"
    "reg.exe's verbs and switches are accepted as well:\n"
    "  query KEY [/v NAME] [/s]     get with /v, else list (/s: list -r)\n"
    "  add KEY /v NAME [/t TYPE] [/d DATA] [/f]\n"
    "                               set (without /d: empty text, or 0)\n"
    "  add KEY                      create the key alone\n"
    "  delete KEY [/v NAME | /va] [/f]\n"
    "                               /va: every value of KEY; /f: --force\n"
    "  export KEY FILE [/y]         /y: replace FILE (export always does)\n"
    "  import FILE\n"
    "  /?                           help, after any command\n"
    "\n"
    "KEY is a path whose first part names the root: root, pelok, share, user or winreg\n"
    "(share/app/net). Key names are kept in lower case; value names as they are written.\n"
    "TYPE is text, int or binary; 1, 2 or 3; or REG_SZ, REG_DWORD or REG_BINARY.\n"
    "\n"
    "Options:\n"
    "  --store FILE      the store file (default registry.xml); a relative name is taken\n"
    "                    relative to the current directory\n"
    "  --registry FILE   the DLL registry file that names the modules (default Pelok.ini\n"
    "                    beside pelreg)\n"
    "  --kind 2|3        the kind of the keys opened (default 2)\n"
    "  --type TYPE       set: the type of the value (default text)\n"
    "  --from-file FILE  set: the value's data from FILE (- is standard input)\n"
    "  -r, --recursive   list: everything below the key\n"
    "  --json            get, list, tree: one JSON object\n"
    "  -z, --null        list: records end with a zero byte, data unescaped\n"
    "  -f, --force       delete: a key with keys below it, without asking\n"
    "  -h, --help        this text; after a command, the command's help\n"
    "  --version         print pelreg's version\n"
    "  --                the words after it are arguments, never options or switches\n"
    "\n"
    "Exit status: 0 success, 1 a key or value is not there, 2 usage error, 3 a failure of\n"
    "the registry, the store file or another file. Every failure prints one line on\n"
    "standard error.\n";

struct CommandHelp {
  const char* words[2];
  const char* text;
};

constexpr CommandHelp kCommandHelp[] = {
    {{"get", nullptr},
     "Usage: pelreg get KEY NAME [--json]\n"
     "\n"
     "Prints the value NAME of KEY: text as it is, a 32-bit number in decimal, binary data\n"
     "as upper-case hexadecimal. Exit status 1 when the key or the value is not there.\n"
     "  --json   {\"key\", \"name\", \"type\", \"size\", \"data\"}: data is a string for text\n"
     "           and binary (hexadecimal), a number for int\n"},
    {{"set", "add"},
     "Usage: pelreg set KEY NAME VALUE [--type TYPE]\n"
     "       pelreg set KEY NAME --from-file FILE [--type TYPE]\n"
     "       pelreg add KEY /v NAME [/t TYPE] [/d DATA] [/f]\n"
     "       pelreg add KEY\n"
     "\n"
     "Creates KEY (and the keys above it) if needed and sets its value NAME.\n"
     "  --type text     VALUE is stored as it is (the default; also 1 or REG_SZ)\n"
     "  --type int      VALUE is a 32-bit number: decimal (a negative number is kept as its\n"
     "                  32-bit two's complement) or hexadecimal after 0x (2, REG_DWORD)\n"
     "  --type binary   VALUE is hexadecimal digits, two per byte: 01AB (3, REG_BINARY)\n"
     "  --from-file FILE\n"
     "                  the data is the content of FILE (- is standard input), of any size:\n"
     "                  text as it is (without zero bytes), a number as its digits (a line\n"
     "                  end after them is ignored), binary data as the bytes themselves\n"
     "add takes reg.exe's switches: /v the name, /t the type, /d the data (without it,\n"
     "empty text or the number 0); /f is accepted, and a value is replaced without asking.\n"
     "add KEY alone creates the key (and the keys above it) without a value.\n"},
    {{"delete", nullptr},
     "Usage: pelreg delete KEY [NAME] [--force]\n"
     "       pelreg delete KEY [/v NAME | /va] [/f]\n"
     "\n"
     "Deletes the value NAME of KEY or, without NAME, KEY with every key and value below\n"
     "it. A key that has keys below it is deleted only with --force (/f), or when the\n"
     "question asked on a terminal is answered y. /va deletes every value of KEY and keeps\n"
     "the key and the keys below it. Exit status 1 when the key or the value is not there,\n"
     "2 when a key with keys below it is kept.\n"},
    {{"list", nullptr},
     "Usage: pelreg list KEY [-r] [--json | -z]\n"
     "\n"
     "Prints the values of KEY, then the keys right below it, one a line:\n"
     "  NAME<TAB>TYPE<TAB>SIZE<TAB>DATA   a value (TYPE text, int or binary; SIZE in bytes)\n"
     "  NAME/                             a key\n"
     "In DATA a backslash is shown as \\\\, control characters as \\n, \\t, \\r or \\xNN.\n"
     "  -r, --recursive   everything below KEY: after each key's line what it holds, NAME\n"
     "                    being the path below KEY (net/port, net/)\n"
     "  -z, --null        each record ends with a zero byte instead of a line end, and DATA\n"
     "                    is shown as it is\n"
     "  --json            one object: {\"name\", \"path\", \"values\": [{\"name\", \"type\",\n"
     "                    \"size\", \"data\"}...], \"keys\": [...]}; a key below is\n"
     "                    {\"name\", \"path\"}, with -r a whole object of its own\n"},
    {{"query", nullptr},
     "Usage: pelreg query KEY [NAME | /v NAME] [/s]\n"
     "\n"
     "With NAME (or /v NAME) the same as get, without it the same as list; /s is list -r.\n"},
    {{"tree", nullptr},
     "Usage: pelreg tree [KEY] [--json]\n"
     "\n"
     "Prints the keys and values stored below KEY (the whole store without KEY), indented\n"
     "by two spaces a level. A value is shown as: name (type) = data.\n"
     "  --json   one key object as list -r --json gives it; the whole store is the object\n"
     "           of name and path \"\" whose keys are the roots\n"},
    {{"export", nullptr},
     "Usage: pelreg export KEY FILE [/y]\n"
     "\n"
     "Writes KEY with every key and value below it to FILE, a store file of the same\n"
     "format that holds the key under its full path. FILE is replaced in one step (/y is\n"
     "accepted); FILE - writes to standard output.\n"},
    {{"import", nullptr},
     "Usage: pelreg import FILE\n"
     "\n"
     "Merges the keys and values of the store file FILE (- reads standard input) into the\n"
     "store: values of the same name are overwritten, nothing else is removed. FILE is\n"
     "checked first, and the store is replaced in one step once it holds everything: when\n"
     "the import fails, on a full disk too, the store is not changed.\n"},
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
