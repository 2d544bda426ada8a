// libFuzzer entry for the encoder library's WAV reader: any bytes must be refused or read to the
// end of their data, never crash or read out of bounds; a file taken must hand out exactly the
// frames it promised, each sample on the channel layout it announced.
#include "wavpress/WavInput.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    std::FILE* file = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (!file)
        return 0;
    auto input = std::make_unique<wavpress::WavInput>(file);
    if (input->open()) {
        const wavpress::WavFormat& format = input->format();
        if (format.channels < 1 || format.channels > 2 || format.frames <= 0
            || format.dataOffset + format.frames * format.bytesPerFrame
                > static_cast<std::int64_t>(size))
            std::abort();
        static std::int32_t left[wavpress::WavInput::kMaxBlock];
        static std::int32_t right[wavpress::WavInput::kMaxBlock];
        std::int64_t total = 0;
        for (long n; (n = input->read(left, right, 1000)) > 0;) {
            total += n;
            for (long i = 0; format.channels == 1 && i < n; ++i)
                if (left[i] != right[i])
                    std::abort();
        }
        if (total != format.frames)
            std::abort();
    }
    std::fclose(file);
    return 0;
}
