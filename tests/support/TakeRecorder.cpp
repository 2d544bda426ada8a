// Records a take through the program's capture stream (WaveCapture writing its TakeFile) from an
// input that delivers the known take's bytes, until it is killed: what a program killed mid-take
// leaves behind. Arguments: the take folder, the rate, the channels and the bits. Prints
// "recording" once a second of the take is in its file, and goes on recording.

#include "KnownTake.h"
#include "platform/audio/FakeCaptureDevice.h"
#include "platform/audio/WaveCapture.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv)
{
    if (argc != 5)
        return 2;
    auto owned = std::make_unique<FakeCaptureDevice>();
    FakeCaptureDevice& device = *owned;
    WaveCapture capture(std::move(owned));
    capture.setTakeFolder(QString::fromLocal8Bit(argv[1]));
    const CaptureFormat format { std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]) };
    if (!capture.start(format))
        return 1;
    // Blocks of 10 ms, at about four times real time, never more than half a second ahead of
    // the file so that the ring never overflows.
    const std::int64_t block = format.bytesPerSecond() / 100;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(block));
    bool told = false;
    for (std::int64_t fed = 0;; fed += block) {
        while (fed - capture.recordedBytes() > format.bytesPerSecond() / 2)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        for (std::int64_t i = 0; i < block; ++i)
            bytes[std::size_t(i)] = knownTakeByte(fed + i);
        device.feed(bytes);
        if (!told && capture.recordedBytes() >= format.bytesPerSecond()) {
            std::puts("recording");
            std::fflush(stdout);
            told = true;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(2500));
    }
}
