// The libFuzzer entry of one target; SCRIVO_FUZZ_BODY names its body.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    scrivo::fuzz::SCRIVO_FUZZ_BODY(data, size);
    return 0;
}
