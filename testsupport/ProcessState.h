#pragma once

namespace scrivo::test {

// What a test may leave behind in the process services (clock, message
// boxes, shell, file operations, program folder, the program's random
// generator): back to the program's defaults, with the generator on a fixed
// seed so that every test starts from the same sequence.
void ResetProcessState();

// Resets at construction: the first member of a fixture, so that the
// services the later members install stay in place.
struct FreshProcessState {
    FreshProcessState() { ResetProcessState(); }
};

} // namespace scrivo::test
