// libFuzzer target: any bytes as a product picture either decode into an image no
// larger than a product picture may declare, or give a null image; never a crash,
// a leak or an allocation for an absurd declared size (the sanitizer's limit on
// one allocation catches that).

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "catalogue/PictureDecoder.h"

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    auto image = PictureDecoder::decode (juce::MemoryBlock (data, size));

    if (image.isValid() && (image.getWidth() > 2048 || image.getHeight() > 2048))
        std::abort();

    return 0;
}
