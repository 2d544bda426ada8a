#include "platform/audio/SdlAudioDevice.h"

#include "platform/audio/AudioEngine.h"

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include <gtest/gtest.h>

namespace {

// Restores SDL_AUDIODRIVER when the scenario ends.
class DriverOverride
{
public:
    explicit DriverOverride(const char* driver)
    {
        if (const char* old = std::getenv("SDL_AUDIODRIVER"))
            m_old = old;
        setenv("SDL_AUDIODRIVER", driver, 1);
    }

    ~DriverOverride()
    {
        if (m_old.empty())
            unsetenv("SDL_AUDIODRIVER");
        else
            setenv("SDL_AUDIODRIVER", m_old.c_str(), 1);
    }

private:
    std::string m_old;
};

bool clockReaches(const AudioEngine& engine, std::int64_t sample)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (engine.now() < sample && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return engine.now() >= sample;
}

} // namespace

TEST(SdlAudioDeviceTest, NoUsableDriverFallsBackToTheSilentPacedDummy)
{
    for (const char* driver : { "dummy", "no-such-driver" }) {
        SCOPED_TRACE(driver);
        DriverOverride override(driver);
        auto device = std::make_unique<SdlAudioDevice>();
        SdlAudioDevice* sdl = device.get();
        AudioEngine engine(std::move(device));
        EXPECT_EQ(std::string(sdl->driverName()), "dummy");
        EXPECT_TRUE(engine.silentFallback());
        EXPECT_GT(engine.outputLatency(), 0);
        EXPECT_TRUE(clockReaches(engine, AudioEngine::kSampleRate / 10));
    }
}
