#pragma once

#include <string>

namespace scrivo {

inline constexpr char PathSeparator = '/';

// The folder of the running executable, without a trailing separator.
// Tests point it elsewhere with SetProgramFolder; an empty folder points it
// back.
std::string ProgramFolder();
void SetProgramFolder(const std::string& folder);

// Where SPK.ini lives: the program folder when it is writable, otherwise
// $XDG_CONFIG_HOME/scrivo-poker (default ~/.config/scrivo-poker), created on demand.
std::string SettingsFolder();

// True when the path names an existing folder or file (a link is followed).
// Never shows a message; an empty path is false. These and SettingsFolder
// go through CurrentFileOps().
bool FolderExists(const std::string& path);
bool IsDirectory(const std::string& path);

// a + separator + b, without doubling a separator already at the end of a.
std::string JoinPath(const std::string& a, const std::string& b);

} // namespace scrivo
