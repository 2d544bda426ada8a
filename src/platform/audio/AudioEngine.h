#pragma once

#include "platform/audio/AudioSource.h"
#include "platform/audio/ClipVoice.h"
#include "platform/audio/CommandQueue.h"
#include "platform/audio/FadeTail.h"
#include "platform/audio/OutputOpener.h"
#include "platform/audio/ReturnQueue.h"
#include "platform/audio/SpscQueue.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <vector>

class AudioDevice;
class CaptureDevice;
class WaveCapture;

// Decoded sound ready for the mixer: interleaved stereo float frames at AudioEngine::kSampleRate.
struct AudioClip;

// The program's one sound output: a mixer with one clip voice and any number of sources, driven
// by a device's callback, and the sample clock that every timed sound is placed on.
//
// The output it plays through may change while it runs, on one sample timeline: the clock, the
// placed clips and the sources carry on from where they were, so every later sound moves once,
// by the gap, and then holds. An output that falls behind (late blocks: its sound is interrupted
// and every later click moves) is replaced by one of the same kind with the next larger block,
// at most kMaxGrowths times a run and never back (an output that grows in place, keeping more
// sound queued without a gap and less again once it keeps up, does so itself and is only
// watched); an output that fails is
// replaced by the paced silent fallback, and its kind is tried again every
// OutputOpener::kRetryInterval until it opens (or, when its server has gone, the device it names
// instead()).
// Outputs are opened by the OutputOpener's thread; the UI thread takes them in checkDevice().
//
// Threads: every public call but render() is for the UI thread; render() runs on the device's
// audio thread (or the test device's caller) and never allocates, locks or waits on the UI.
// Units: samples (frames) at kSampleRate since the engine started.
class AudioEngine
{
public:
    static constexpr int kSampleRate = 44100;
    static constexpr int kChannels = 2;
    // Length of the fade that ends a clip cut off by another clip or a purge, and a source
    // removed (about 1.5 ms).
    static constexpr int kCutRampFrames = ClipVoice::kCutRampFrames;
    // An output that falls behind grows its block to the next of these (512, then 1024 frames).
    static constexpr int kMaxGrowths = 2;
    static constexpr int kLargestBlockFrames = 1024;

    // Starts the device. When it opens no output at all, the engine runs on a paced silent
    // device instead, so the clock still advances in real time (silentFallback() is then true).
    explicit AudioEngine(std::unique_ptr<AudioDevice> device);
    ~AudioEngine();
    AudioEngine(const AudioEngine&) = delete;
    AudioEngine& operator=(const AudioEngine&) = delete;

    // The next sample the device will render: a sound placed at now() starts in the next block.
    std::int64_t now() const;

    // Places `clip` on the clip voice at sample `at` (a sample already past means at once). When
    // it starts it cuts off the clip then sounding (ramped down over a millisecond or two so the
    // cut makes no click); clips placed for later samples wait their turn in order.
    // At most 256 clips wait at once; one placed beyond that is dropped (finished at once).
    // Returns a ticket for clipFinished(). A null or empty clip places nothing (ticket 0).
    std::uint64_t playClip(std::shared_ptr<const AudioClip> clip, std::int64_t at);

    // Stops every clip at once: the one sounding and those placed and not yet started.
    void purge();

    // Sources are mixed from the next block on. A removed source is ramped out like a cut clip:
    // its next kCutRampFrames frames are rendered at once, fading, and sound from the next
    // block on. removeSource returns once the audio thread no longer uses the source, so the
    // caller may then destroy it.
    void addSource(AudioSource* source);
    void removeSource(AudioSource* source);

    // True when no real device opened and the engine runs on the silent, paced fallback.
    bool silentFallback() const;

    // Call from a timer, and soon once outputWaiting(): when the output has failed while running,
    // reopens it (the system's default output, else the silent paced fallback); when an output
    // has opened in place of one that fell behind, or of the fallback, plays through it from now
    // on. Returns true when the output changed, so the caller can say so. The clock, the placed
    // clips and the sources carry on from where they were.
    bool checkDevice();

    // True while an output that opened in the background waits for checkDevice() to take it: a
    // cheap look (an atomic), for a fast timer.
    bool outputWaiting() const { return m_opener.waiting(); }

    // True while an output may open in the background (the lost output tried again, or one that
    // may still grow by a new device): only then is outputWaiting() worth asking often. Changes
    // only at construction and in checkDevice().
    bool outputMayOpen() const { return m_outputMayOpen; }

    // For benchmarks and tests: late blocks seen on every output of this run, the times the block
    // grew (by a new output, or by an output that keeps more sound queued in place), the times an
    // output that grew in place went back a step, and the times the output came back by itself
    // after the fallback.
    std::int64_t lateBlocks() const;

    int blockGrowths() const;

    int blockShrinks() const;

    int outputReturns() const { return m_returns; }

    // Samples between the last block being rendered and its sound leaving the speakers (an
    // output that grows in place reports more after a growth).
    std::int64_t outputLatency() const;

    // Frames per callback of the device as it opened: what sources size their buffers for.
    int blockFrames() const { return m_blockFrames; }

    // The sample leaving the speakers about now: the last block's start sample and time stamp,
    // moved on by the time since, less the output latency. For lights, between callbacks.
    std::int64_t soundingSample() const;

    // True once the clip of `ticket` has rendered its last sample, was cut off or purged (also for
    // ticket 0). Gives finished clips back for release on this thread.
    bool clipFinished(std::uint64_t ticket);

    // Releases the clips the audio thread is done with. Every other UI call does it too; call it
    // from a timer when none of them runs for a long time.
    void releaseFinishedClips();

    // Where and when clips really started (the first 4096 since the last take; later ones are
    // dropped until taken). `clip` is for identity only.
    struct ClipStart
    {
        const AudioClip* clip;
        std::int64_t sample;
    };

    std::vector<ClipStart> takeClipStarts();

    AudioDevice& device() { return *m_device; }

    // The capture stream, recording from the input set here (none: recording fails to start).
    void setCaptureDevice(std::unique_ptr<CaptureDevice> device);
    WaveCapture& capture();

    // Audio thread: mixes the next `frames` frames into `out` (interleaved stereo, overwritten)
    // and advances the clock.
    void render(float* out, int frames);

private:
    // A placed clip on its way through the audio thread. Made and deleted on the UI thread only,
    // so the last reference to a clip is never dropped in the callback.
    struct ClipHandle
    {
        std::shared_ptr<const AudioClip> clip;
        std::uint64_t ticket = 0;
    };

    struct Command
    {
        enum class Kind { PlayClip, AddSource, RemoveSource } kind = Kind::PlayClip;
        ClipHandle* handle = nullptr;
        std::int64_t at = 0;
        AudioSource* source = nullptr;
        std::uint64_t purges = 0; // purges asked for before this clip was placed
    };

    struct PendingClip
    {
        ClipHandle* handle;
        std::int64_t at;
        std::uint64_t purges;
    };

    static constexpr std::size_t kCommandCapacity = 4096;
    static constexpr std::size_t kPendingCapacity = 256;
    static constexpr std::size_t kSourceCapacity = 32;
    static constexpr std::size_t kStashCapacity = 64;
    static constexpr std::size_t kStartLogCapacity = 4096;

    // UI thread.
    void install(std::unique_ptr<AudioDevice> device);
    void keepCounts(const AudioDevice& device);
    void noteQueueChange();
    void adopt(OutputOpener::Opened opened);
    void holdUntilPlayedOut();
    void markSwitch(const AudioDevice& device);
    void updatePlan();
    void send(const Command& command);
    void waitUntilProcessed(std::uint64_t count);
    bool drainHereIfIdle();

    // Audio thread (or the UI thread holding m_gate while the device renders nowhere else).
    void applyCommands(std::int64_t sample);
    void applyPurge();
    void applyCommand(const Command& command, std::int64_t sample);
    void startClip(const PendingClip& pending, std::int64_t sample);
    static void releaseClip(void* engine, void* handle);
    void publishSnapshot(std::int64_t sample, std::int64_t nanos, int frames, std::int64_t latency);

    std::unique_ptr<AudioDevice> m_device;
    std::function<void(float*, int)> m_renderer;
    bool m_fallback = false;
    int m_blockFrames = 0;
    // The real output that failed, kept (stopped) while the fallback plays: its kind is tried
    // again.
    std::unique_ptr<AudioDevice> m_lostDevice;
    // The block the last real output played with (0: none yet).
    int m_realBlockFrames = 0;
    bool m_outputMayOpen = false;
    int m_growths = 0;
    int m_returns = 0;
    std::int64_t m_lateOfReplaced = 0;
    int m_growthsOfReplaced = 0;
    int m_shrinksOfReplaced = 0;
    // The in-place growths and steps down of the output playing that have been logged.
    int m_growthsTold = 0;
    int m_shrinksTold = 0;
    OutputOpener m_opener;
    // While set, render() gives silence and leaves the clock alone, so that an output about to be
    // replaced plays out what it was given.
    std::atomic<bool> m_holding { false };
    std::atomic<int> m_heldBlocks { 0 };

    CommandQueue<Command, kCommandCapacity> m_commands;
    // Every UI call, and each round of a wait, releases what came back: room for the clips of
    // two queues of commands dropped in between, and a stash for what a stalled UI leaves.
    ReturnQueue<ClipHandle, 2 * kCommandCapacity, kStashCapacity> m_finished { "finished clips" };
    SpscQueue<ClipStart, kStartLogCapacity> m_starts;

    // UI thread only.
    std::set<std::uint64_t> m_liveTickets;
    std::uint64_t m_nextTicket = 1;
    std::uint64_t m_commandsSent = 0;
    std::uint64_t m_purgesAsked = 0;

    // Held by whoever renders or applies commands: the audio thread per block, or the UI thread
    // when no device thread renders (the offline device, a stalled device).
    std::atomic<bool> m_gate { false };
    std::atomic<std::uint64_t> m_commandsApplied { 0 };
    std::atomic<std::int64_t> m_clock { 0 };
    std::atomic<std::int64_t> m_framesSkipped { 0 };
    // A purge is a count, not a queued command, so it acts at the next block even when the
    // command queue is full and clips placed before it still wait on the UI side.
    std::atomic<std::uint64_t> m_purgeRequests { 0 };

    // Snapshot of the last block's start for the UI, under a sequence lock the writer never waits
    // on.
    std::atomic<std::uint64_t> m_snapshotSequence { 0 };
    std::atomic<std::int64_t> m_snapshotSample { 0 };
    std::atomic<std::int64_t> m_snapshotNanos { 0 };
    std::atomic<int> m_snapshotFrames { 0 };
    std::atomic<std::int64_t> m_snapshotLatency { 0 };

    // Render side: touched only under m_gate.
    ClipVoice m_clipVoice;
    std::uint64_t m_voicePurges = 0; // purges asked for before the sounding clip was placed
    std::array<PendingClip, kPendingCapacity> m_pending {};
    std::size_t m_pendingCount = 0;
    std::uint64_t m_purgesApplied = 0;
    std::array<AudioSource*, kSourceCapacity> m_sources {};
    std::size_t m_sourceCount = 0;
    FadeTail m_removedSources;

    std::unique_ptr<WaveCapture> m_capture;
};
