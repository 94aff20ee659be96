#include "testsupport/ProcessState.h"

#include "platform/Services.h"

namespace scrivo::test {

void ResetProcessState()
{
    Services().Reset();
    Services().Generator().Seed(4242);
}

} // namespace scrivo::test
