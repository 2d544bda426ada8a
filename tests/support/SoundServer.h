#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <sys/types.h>

// A private sound server for the tests and benchmarks that need a real one: its own runtime
// folder and socket under a temporary folder, one null sink ("kadentor_sink") as the default
// sink, reached by PulseAudio clients at address(). It runs as whoever runs the test (root in
// CI). Nothing here needs Qt. Two kinds: a PulseAudio daemon (PulseServer) and PipeWire with its
// session manager and its pulse server (PipeWireServer), so that a test names the server to use.
//
// The same address serves every start, so a client that reconnects after stop() + start() finds
// the new server where the old one was. stop() signals the server's whole process group and
// waits for it; the server also ends with the test's process, however that ends.
//
// useInThisProcess() points this process's PulseAudio clients (SDL's pulseaudio driver, the ALSA
// pulse plugin, mpv) at the server through PULSE_SERVER, and keeps them from spawning one of
// their own.
//
// The monitor of the sink is recorded by a parec child as raw 16-bit stereo at kRate (the server
// resamples it where its sink runs at another rate).
class SoundServer
{
public:
    enum class Kind {
        PulseAudio,
        PipeWire,
    };

    static constexpr int kRate = 44100;

    static std::unique_ptr<SoundServer> make(Kind kind);
    // "PulseAudio", "PipeWire".
    static const char* name(Kind kind);
    // The kind named "pulseaudio" or "pipewire"; nullopt for any other name.
    static std::optional<Kind> named(std::string_view text);
    // True when the kind's daemons and the pulse tools are installed.
    static bool installed(Kind kind);

    virtual ~SoundServer();
    SoundServer(const SoundServer&) = delete;
    SoundServer& operator=(const SoundServer&) = delete;

    virtual Kind kind() const = 0;

    // The log level from the next start() on: "debug" logs every underrun of a stream
    // (underrunsLogged()). The logs are in folder().
    void setLogLevel(std::string level) { m_logLevel = std::move(level); }

    // Starts the server and returns once it answers with its sink as the default (at most
    // `timeoutMs`); false when it did not.
    bool start(int timeoutMs = 10000);
    // Kills the server (SIGKILL by default, or SIGTERM) and waits for it to end.
    void stop(int signal = 9);

    bool running() const { return m_daemon > 0; }

    pid_t pid() const { return m_daemon; }

    // "unix:<socket>".
    std::string address() const;
    void useInThisProcess() const;

    // Records the sink's monitor into `path` until stopRecording(). Starting one while another
    // runs stops that one first.
    bool startRecording(const std::string& path);
    void stopRecording();

    // Plays raw interleaved 16-bit stereo at `rate` from `path` (a file, or a named pipe that
    // another thread feeds) through pacat with `latencyMs` of latency, as another program would
    // beside the one measured, until stopPlaying() or the end of the input.
    bool startPlaying(const std::string& path, int rate, int latencyMs);
    void stopPlaying();

    // The monitor recording as interleaved stereo samples.
    static std::vector<std::int16_t> readRecording(const std::string& path);

    // The rate the sink runs at (PipeWire's: its graph's), 0 when it cannot be asked.
    int sinkRate() const;

    // The sink's volume as the server counts it (0 to 65536 is 0 % to 100 %), the first channel's;
    // nullopt when it cannot be asked.
    std::optional<long> sinkVolume() const;

    // Runs a PulseAudio tool (pactl, parec, ...) against the server, with its output captured.
    // Returns the exit status, or -1 when it could not run.
    int runTool(const std::vector<std::string>& arguments, std::string* output = nullptr) const;

    // The underruns of playback streams that the server has logged since it started (with the
    // "debug" log level), -1 when its log cannot be read.
    virtual int underrunsLogged() const = 0;

    const std::string& folder() const { return m_folder; }

protected:
    // `prefix`: the temporary folder's name, before its random part.
    explicit SoundServer(const std::string& prefix);

    virtual std::string socketPath() const = 0;
    // The command that runs the server in the foreground, in its own process group.
    virtual std::vector<std::string> daemonCommand() const = 0;
    // Variables the server's processes get beyond those every tool gets.
    virtual void addDaemonEnvironment(std::vector<std::string>& variables) const;

    // Called before each start: what a killed server may have left behind.
    virtual void clearLeftovers() const {}

    // The program's path in PATH, empty when there is none.
    static std::string commandPath(const char* name);
    static void writeFile(const std::string& path, const std::string& text);
    static int countLines(const std::string& path, std::string_view containing);

    const std::string& logLevel() const { return m_logLevel; }

private:
    pid_t spawn(const std::vector<std::string>& arguments,
        const std::string& outputPath,
        bool daemon,
        const std::string& inputPath = "/dev/null") const;
    std::vector<std::string> environment(bool daemon) const;
    bool answers() const;

    std::string m_folder;
    pid_t m_daemon = -1;
    pid_t m_recorder = -1;
    pid_t m_player = -1;
    std::string m_logLevel = "notice";
};
