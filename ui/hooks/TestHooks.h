#pragma once

namespace scrivo {

// Only in scrivo-poker-hooked: runs the script named by SCRIVO_HOOK_SCRIPT
// against the program's own windows, one line at a time, and answers
// message boxes by itself (their texts go to standard error).
void InstallTestHooks();

} // namespace scrivo
