// Collection files: the text-file line rules and the text assembly, from any bytes and any seed.
#include "tests/fuzz/FuzzSupport.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The seed and the read size come from the end, so a collection file is a seed as it is.
    FuzzedDataProvider input(data, size);
    const auto seed = input.ConsumeIntegral<std::uint32_t>();
    const auto readSize = input.ConsumeIntegralInRange<std::size_t>(1, 64);
    zintra::CheckCollection(input.ConsumeRemainingBytesAsString(), readSize, seed);
    return 0;
}
