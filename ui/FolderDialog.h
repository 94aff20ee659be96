#pragma once

#include <functional>
#include <string>

namespace scrivo {

// Asks the user for a folder, starting at startFolder (the home folder when
// that does not exist). Returns "" when the user cancels.
std::string BrowseForFolder(const std::string& prompt, const std::string& startFolder, bool newStyle);

// Replaces the picker (tests answer without a dialog); an empty function
// restores the Qt dialog.
using FolderPicker = std::function<std::string(const std::string& prompt, const std::string& startFolder)>;
void SetFolderPicker(FolderPicker picker);

} // namespace scrivo
