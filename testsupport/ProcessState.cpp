#include "testsupport/ProcessState.h"

#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/Random.h"

namespace scrivo::test {

void ResetProcessState()
{
    SetProgramClock(nullptr);
    SetMessageBoxService(nullptr);
    ProgramRandom().Seed(4242);
}

} // namespace scrivo::test
