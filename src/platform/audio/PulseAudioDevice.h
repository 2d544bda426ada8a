#pragma once

#include "platform/audio/AudioDevice.h"
#include "platform/audio/AudioThreadPriority.h"
#include "platform/audio/BufferGrowth.h"

#include <cstdint>
#include <functional>
#include <memory>

// The output through a PulseAudio server (PipeWire's pulse server takes the same clients), by the
// server's own client library: one playback stream named "Kadentor", 44100 Hz stereo float, that
// the desktop's mixer shows under the program's name. The stream's requests are answered on the
// library's own event thread, raised to real-time priority once it has connected
// (raiseAudioThreadPriority): the thread that the server wakes is the thread that renders, so no
// second wake-up stands between the server and the mix.
//
// The server is asked to keep only BufferGrowth's first queue ahead (about 10 ms granted) and to
// ask for more every kMinRequestFrames (kPipeWireRequestFrames on PipeWire), with no prebuffering:
// when the queue runs dry the server plays silence and drops the sound that comes late, so the
// sound after an underrun stays on its own samples (the clicks keep their grid). The queue changes
// in place as BufferGrowth decides on the event thread, from the underruns the server reports:
// underruns that repeat grow it, a while without any brings it back a step. A growth is filled by
// rendering ahead; a step down is asked for after a request is answered in full, and the server
// plays what it holds down to the smaller queue; so the samples go on without a gap and only the
// latency changes. lateBlocks() counts the underruns, growths() and shrinks() the changes.
// latencyFrames() follows the server's timing reports.
//
// open() connects (at most kConnectMs: a server that answers does so in milliseconds) and starts
// the stream, which plays silence until start()
// hands it the renderer; a server that does not answer fails it, never spawns one. A server that
// goes away or drops the stream while it plays makes lost() true; another() is then this
// output again (the queue it reached kept), and instead() the output to try when no server
// answers.
//
// Threads: as AudioDevice. Render calls come on the library's thread, each of at most
// kBlockFrames frames (a larger request is rendered in several), into buffers the library lends
// or one made at open(): nothing allocates in them but the library itself.
class PulseAudioDevice : public AudioDevice
{
public:
    static constexpr int kBlockFrames = 512;
    // Each request wakes the event thread, and the wake-up (with the server's release of the
    // block written before) costs far more than rendering the request: at 128 frames a PulseAudio
    // server asked about 330 times a second and the thread took 1.5 to 2 % of a core to play a
    // click at 120. At 192 it asks about 200 times. The whole queue stays the same: the server
    // takes the larger request out of its sink's share (PA_STREAM_ADJUST_LATENCY splits the
    // queue into the sink's buffer and the stream's, with two requests' room in the stream's),
    // so at the first step it keeps about 10 ms in the stream and 1.5 ms in the sink.
    static constexpr int kMinRequestFrames = 192;
    // PipeWire's pulse server asks once a graph cycle whatever this is; there the stream keeps the
    // smaller request that it always had. That server raises the request to a minimum of its own
    // (256 frames at its 48000 Hz) and keeps two of them queued besides the graph's cycle, so a
    // piano key sounds some 21 ms after it is pressed there. Neither way the client may lower it
    // holds the clicks: allowed this request as the minimum (the client property
    // "pulse.min.req"), it keeps 2.5 ms less queued and the key sounds in about 18 ms, but the
    // clicks then moved a whole cycle now and then (6 times in 10 quiet minutes at 2000 x 1/16,
    // none with the server's own minimum); allowed a 128-frame cycle ("pulse.min.quantum"), about
    // 13 ms, but under load the graph missed cycles and moved every stream playing.
    static constexpr int kPipeWireRequestFrames = 128;
    static constexpr int kConnectMs = 1000;

    // Makes the output to try when this kind does not open.
    using Maker = std::function<std::unique_ptr<AudioDevice>()>;

    // `growthStep`: the BufferGrowth step to start on; `quietNanos`: its quiet time before each
    // step down (shorter only in tests).
    explicit PulseAudioDevice(Maker instead = {},
        int growthStep = 0,
        std::int64_t quietNanos = BufferGrowth::kQuietNanos);
    ~PulseAudioDevice() override;
    PulseAudioDevice(const PulseAudioDevice&) = delete;
    PulseAudioDevice& operator=(const PulseAudioDevice&) = delete;

    bool open() override;
    bool start(RenderFunction render) override;
    void stop() override;

    bool silentFallback() const override { return false; }

    std::int64_t latencyFrames() const override;

    int blockFrames() const override { return kBlockFrames; }

    bool rendersOnOwnThread() const override;
    bool lost() const override;
    std::unique_ptr<AudioDevice> another(int blockFrames) const override;
    std::unique_ptr<AudioDevice> instead() const override;
    std::int64_t lateBlocks() const override;

    bool growsInPlace() const override { return true; }

    int growths() const override;
    int shrinks() const override;
    int queueFrames() const override;
    std::int64_t clockNanos() const override;

    // Any thread: the queue the server granted (frames), 0 before open().
    int grantedQueueFrames() const;

    // Any thread: the priority the event thread got when it connected.
    AudioThreadPriority threadPriority() const;

private:
    struct State;
    void close();

    std::unique_ptr<State> m_state;
};
