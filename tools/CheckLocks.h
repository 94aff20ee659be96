#pragma once

#include <string>

namespace scrivo::tool {

// scrivo-folder --check-locks DIR [SAME_DIR_ELSEWHERE]
// Two processes lock one scratch file in DIR in turn (the second one through
// SAME_DIR_ELSEWHERE when given: the same folder through another mount) and
// report whether each one's lock keeps the other out and whether each sees
// what the other wrote. Exit code 0 when they do, 1 when not, 2 when the
// check could not be made.
int CheckLocks(const std::string& dir, const std::string& otherView);

} // namespace scrivo::tool
