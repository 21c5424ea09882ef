// Reading the DLL registry file (INI): which file it is after its redirects, and where the
// modules it names are. Shared by the registry host module and the factory module.
#ifndef PELOK_FRAMEWORK_DLL_REGISTRY_FILE_H_
#define PELOK_FRAMEWORK_DLL_REGISTRY_FILE_H_

#include <string>
#include <vector>

namespace pelok {

// A module's section is named by its component id ("361"); "DLL" in it names the module's file.
// "[Modules]" lists the modules of the framework by role ("registry=PelReg.dll").
constexpr char kModuleKey[] = "DLL";
constexpr char kModulesSection[] = "Modules";

// The section of a component id.
std::string SectionOf(int component_id);
// The value of key in section without its surrounding blanks; "" when it is missing, blank or
// longer than a path.
std::string ReadTrimmedValue(const char* ini_path, const char* section, const char* key);
// Whether section names a module file of its own (a "DLL" value that is not blank).
bool NamesModule(const char* ini_path, const char* section);

// The DLL registry file to read for registry_path: "Pelok.ini" in the executable's directory
// when null or empty, a relative name against that directory, then FollowRedirect.
void ResolveRegistryFile(const char* registry_path, char* out, int out_len);
// The same, and *files_read gets every file whose redirect was read, in order (the result is
// the last of them, or a file a relative redirect named, which the caller reads next).
void ResolveRegistryFile(const char* registry_path, char* out, int out_len,
                         std::vector<std::string>* files_read);
// Follows "Redirect"/"Path": a blank value keeps ini_path; a relative one is joined to ini_path's
// directory and not followed further; an absolute one continues the chain in the named file. A
// chain that names a file it has already passed through stops at that file.
void FollowRedirect(const char* ini_path, char* out, int out_len);
void FollowRedirect(const char* ini_path, char* out, int out_len,
                    std::vector<std::string>* files_read);
// The path of a module named by "DLL" in section (trimmed): absolute as it stands; with
// "NotUseDefaultDllPath" = 1 in that section, against the file's directory; otherwise after the
// "DefaultValue"/"DllPath" directory and then against the file's directory.
void ReadModulePath(const char* ini_path, const char* section, char* out, int out_len);
// The factory module's path: ReadModulePath of section "361".
void ReadFactoryDllPath(const char* ini_path, char* out, int out_len);
// A module path value (already trimmed) resolved the same way as ReadModulePath resolves "DLL",
// with use_default_dir 0 meaning "NotUseDefaultDllPath" = 1.
void ResolveModuleValue(const char* ini_path, const char* dll, int use_default_dir, char* out,
                        int out_len);

}  // namespace pelok

#endif  // PELOK_FRAMEWORK_DLL_REGISTRY_FILE_H_
