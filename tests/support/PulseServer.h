#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

// A private PulseAudio daemon for the tests and benchmarks that need a real sound server: its own
// runtime folder and socket under a temporary folder, one null sink ("kadentor_sink") at
// 44100 Hz as the default sink, and no idle exit. It runs as whoever runs the test (root in CI,
// which the daemon allows with a warning). Nothing here needs Qt.
//
// The same address serves every start, so a client that reconnects after stop() + start() finds
// the new daemon where the old one was. stop() kills the daemon by its pid and waits for it.
//
// useInThisProcess() points this process's PulseAudio clients (SDL's pulseaudio driver, the ALSA
// pulse plugin, mpv) at the daemon through PULSE_SERVER, and keeps them from spawning one of
// their own.
//
// The monitor of the sink is recorded by a parec child as raw 16-bit stereo at 44100 Hz.
class PulseServer
{
public:
    static constexpr int kRate = 44100;

    PulseServer();
    ~PulseServer();
    PulseServer(const PulseServer&) = delete;
    PulseServer& operator=(const PulseServer&) = delete;

    // True when the daemon and its tools are installed.
    static bool installed();

    // The daemon's log level from the next start() on ("debug" logs every underrun of a stream);
    // the log is daemon.log in folder().
    void setLogLevel(std::string level) { m_logLevel = std::move(level); }

    // Starts the daemon and returns once it answers (at most `timeoutMs`); false when it did not.
    bool start(int timeoutMs = 10000);
    // Kills the daemon (SIGKILL by default, or SIGTERM) and waits for it to end.
    void stop(int signal = 9);

    bool running() const { return m_daemon > 0; }

    pid_t pid() const { return m_daemon; }

    // "unix:<folder>/native".
    std::string address() const;
    void useInThisProcess() const;

    // Records the sink's monitor into `path` until stopRecording(). Starting one while another
    // runs stops that one first.
    bool startRecording(const std::string& path);
    void stopRecording();

    // The monitor recording as interleaved stereo samples.
    static std::vector<std::int16_t> readRecording(const std::string& path);

    // The sink's volume as the server counts it (0 to 65536 is 0 % to 100 %), the first channel's;
    // nullopt when it cannot be asked.
    std::optional<long> sinkVolume() const;

    // Runs a PulseAudio tool (pactl, parec, ...) against the daemon, with its output captured.
    // Returns the exit status, or -1 when it could not run.
    int runTool(const std::vector<std::string>& arguments, std::string* output = nullptr) const;

    const std::string& folder() const { return m_folder; }

private:
    pid_t spawn(const std::vector<std::string>& arguments, const std::string& outputPath) const;
    std::vector<std::string> environment() const;

    std::string m_folder;
    pid_t m_daemon = -1;
    pid_t m_recorder = -1;
    std::string m_logLevel = "notice";
};
