#include "SoundServer.h"

#include "PipeWireServer.h"
#include "PulseServer.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// Waits for a child, giving up (and killing it) after `timeoutMs`.
int waitChild(pid_t pid, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (done < 0)
            return -1;
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// Ends a tool started in the background (none when `pid` is not positive) and forgets it.
void endChild(pid_t& pid, int signal)
{
    if (pid <= 0)
        return;
    kill(pid, signal);
    waitChild(pid, 5000);
    pid = -1;
}

} // namespace

std::string SoundServer::commandPath(const char* name)
{
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    std::size_t from = 0;
    while (from <= folders.size()) {
        const std::size_t to = std::min(folders.find(':', from), folders.size());
        const std::string candidate = folders.substr(from, to - from) + '/' + name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
        from = to + 1;
    }
    return {};
}

std::unique_ptr<SoundServer> SoundServer::make(Kind kind)
{
    if (kind == Kind::PipeWire)
        return std::make_unique<PipeWireServer>();
    return std::make_unique<PulseServer>();
}

const char* SoundServer::name(Kind kind)
{
    return kind == Kind::PipeWire ? "PipeWire" : "PulseAudio";
}

std::optional<SoundServer::Kind> SoundServer::named(std::string_view text)
{
    if (text == "pulseaudio")
        return Kind::PulseAudio;
    if (text == "pipewire")
        return Kind::PipeWire;
    return std::nullopt;
}

bool SoundServer::installed(Kind kind)
{
    return kind == Kind::PipeWire ? PipeWireServer::installed() : PulseServer::installed();
}

SoundServer::SoundServer(const std::string& prefix)
{
    std::string pattern = "/tmp/" + prefix + "-XXXXXX";
    if (const char* made = mkdtemp(pattern.data()))
        m_folder = made;
    // The daemons refuse a runtime folder that others may enter.
    chmod(m_folder.c_str(), 0700);
    writeFile(m_folder + "/client.conf", "autospawn = no\n");
}

SoundServer::~SoundServer()
{
    stopRecording();
    stopPlaying();
    stop();
    if (!m_folder.empty()) {
        const std::string command = "rm -rf '" + m_folder + "'";
        [[maybe_unused]] const int ignored = std::system(command.c_str());
    }
}

void SoundServer::writeFile(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

int SoundServer::countLines(const std::string& path, std::string_view containing)
{
    std::ifstream log(path);
    if (!log)
        return -1;
    int count = 0;
    for (std::string line; std::getline(log, line);)
        count += line.find(containing) != std::string::npos;
    return count;
}

std::string SoundServer::address() const
{
    return "unix:" + socketPath();
}

void SoundServer::useInThisProcess() const
{
    setenv("PULSE_SERVER", address().c_str(), 1);
    setenv("PULSE_CLIENTCONFIG", (m_folder + "/client.conf").c_str(), 1);
}

void SoundServer::addDaemonEnvironment(std::vector<std::string>&) const
{}

std::vector<std::string> SoundServer::environment(bool daemon) const
{
    std::vector<std::string> variables;
    const char* const replaced[] = { "HOME=", "XDG_RUNTIME_DIR=", "XDG_CONFIG_HOME=",
        "XDG_STATE_HOME=", "XDG_DATA_HOME=", "PULSE_RUNTIME_PATH=", "PULSE_STATE_PATH=",
        "PULSE_SERVER=", "PULSE_CLIENTCONFIG=", "DBUS_SESSION_BUS_ADDRESS=", "PIPEWIRE_" };
    for (char** variable = environ; *variable; ++variable) {
        bool keep = true;
        for (const char* name : replaced)
            keep = keep && std::strncmp(*variable, name, std::strlen(name)) != 0;
        if (keep)
            variables.emplace_back(*variable);
    }
    variables.push_back("HOME=" + m_folder);
    variables.push_back("XDG_RUNTIME_DIR=" + m_folder);
    variables.push_back("XDG_CONFIG_HOME=" + m_folder + "/config");
    variables.push_back("XDG_STATE_HOME=" + m_folder + "/state");
    variables.push_back("XDG_DATA_HOME=" + m_folder + "/data");
    variables.push_back(
        "PULSE_RUNTIME_PATH=" + socketPath().substr(0, socketPath().find_last_of('/')));
    variables.push_back("PULSE_STATE_PATH=" + m_folder);
    variables.push_back("PULSE_SERVER=" + address());
    variables.push_back("PULSE_CLIENTCONFIG=" + m_folder + "/client.conf");
    // With no session bus named a daemon tries to launch one, which holds it up for seconds; the
    // PipeWire kind runs under a bus of its own, which names itself.
    variables.push_back("DBUS_SESSION_BUS_ADDRESS=unix:path=" + m_folder + "/no-bus");
    if (daemon)
        addDaemonEnvironment(variables);
    return variables;
}

pid_t SoundServer::spawn(const std::vector<std::string>& arguments,
    const std::string& outputPath,
    bool daemon,
    const std::string& inputPath) const
{
    // Everything the child needs is made before the fork: between fork and exec a child of a
    // threaded process may only make async-signal-safe calls.
    const std::string program = commandPath(arguments.front().c_str());
    if (program.empty())
        return -1;
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const std::vector<std::string> variables = environment(daemon);
    std::vector<char*> envp;
    for (const std::string& variable : variables)
        envp.push_back(const_cast<char*>(variable.c_str()));
    envp.push_back(nullptr);
    const std::string output = outputPath.empty() ? m_folder + "/tool.log" : outputPath;
    const std::string errors = m_folder + "/stderr.log";
    const pid_t parent = getpid();

    const pid_t pid = fork();
    if (pid != 0)
        return pid < 0 ? -1 : pid;
    // A test that crashes or is killed takes its daemon and recorder with it, instead of leaving
    // them running for the rest of the machine's life.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent)
        _exit(127);
    // Its own process group: a signal meant for the test never reaches it by the terminal, and
    // stop() reaches every process of a server at once.
    setpgid(0, 0);
    const int in = open(inputPath.c_str(), O_RDONLY);
    const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(errors.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0)
        _exit(127);
    execve(program.c_str(), argv.data(), envp.data());
    _exit(127);
}

int SoundServer::runTool(const std::vector<std::string>& arguments, std::string* output) const
{
    const std::string path = m_folder + "/tool.out";
    const pid_t pid = spawn(arguments, path, false);
    if (pid <= 0)
        return -1;
    const int status = waitChild(pid, 10000);
    if (output) {
        std::ifstream in(path, std::ios::binary);
        output->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return status;
}

bool SoundServer::answers() const
{
    // A pulse server that answers before its session manager has set the default sink would
    // leave a new stream unlinked; and PipeWire's may still fail a stream for a moment after
    // that (1 open in 15 right after the sink was named): a stream that plays nothing and ends
    // tells that one plays.
    std::string info;
    return runTool({ "pactl", "info" }, &info) == 0
        && info.find("Default Sink: kadentor_sink\n") != std::string::npos
        && runTool({ "pacat", "--playback", "--raw" }) == 0;
}

bool SoundServer::start(int timeoutMs)
{
    if (m_folder.empty())
        return false;
    if (running())
        return true;
    clearLeftovers();
    m_daemon = spawn(daemonCommand(), m_folder + "/daemon.out", true);
    if (m_daemon <= 0)
        return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (waitpid(m_daemon, &status, WNOHANG) == m_daemon) {
            m_daemon = -1; // it gave up (see the logs in the folder)
            return false;
        }
        if (answers())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    stop();
    return false;
}

void SoundServer::stop(int signal)
{
    if (m_daemon <= 0)
        return;
    kill(-m_daemon, signal);
    if (waitChild(m_daemon, 10000) == -1 && signal != SIGKILL)
        kill(-m_daemon, SIGKILL);
    // What the leader left of its group (the PipeWire kind's daemons) goes with it.
    kill(-m_daemon, SIGKILL);
    m_daemon = -1;
}

bool SoundServer::startRecording(const std::string& path)
{
    stopRecording();
    m_recorder =
        spawn({ "parec", "--device=kadentor_sink.monitor", "--format=s16le",
                  "--rate=" + std::to_string(kRate), "--channels=2", "--raw", "--latency-msec=10" },
            path, false);
    return m_recorder > 0;
}

void SoundServer::stopRecording()
{
    // parec writes out what it holds on SIGINT.
    endChild(m_recorder, SIGINT);
}

bool SoundServer::startPlaying(const std::string& path, int rate, int latencyMs)
{
    stopPlaying();
    m_player = spawn(
        { "pacat", "--playback", "--format=s16le", "--rate=" + std::to_string(rate), "--channels=2",
            "--raw", "--latency-msec=" + std::to_string(latencyMs), "--client-name=reference" },
        "", false, path);
    return m_player > 0;
}

void SoundServer::stopPlaying()
{
    endChild(m_player, SIGKILL);
}

std::vector<std::int16_t> SoundServer::readRecording(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::int16_t> samples(bytes.size() / 4 * 2);
    if (!samples.empty()) // no copy from or to nowhere: a recording yet to begin is empty
        std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(std::int16_t));
    return samples;
}

int SoundServer::sinkRate() const
{
    // "30	kadentor_sink	PipeWire	float32le 2ch 48000Hz	SUSPENDED"
    std::string output;
    if (runTool({ "pactl", "list", "short", "sinks" }, &output) != 0)
        return 0;
    const std::size_t line = output.find("\tkadentor_sink\t");
    const std::size_t channels = output.find("ch ", line);
    if (line == std::string::npos || channels == std::string::npos)
        return 0;
    return std::atoi(output.c_str() + channels + 3);
}

std::optional<long> SoundServer::sinkVolume() const
{
    std::string output;
    if (runTool({ "pactl", "get-sink-volume", "kadentor_sink" }, &output) != 0)
        return std::nullopt;
    // "Volume: front-left: 32768 /  50% / -18.06 dB,   front-right: ..."
    const std::size_t at = output.find("front-left:");
    if (at == std::string::npos)
        return std::nullopt;
    char* end = nullptr;
    const long value = std::strtol(output.c_str() + at + std::strlen("front-left:"), &end, 10);
    if (end == output.c_str() + at + std::strlen("front-left:"))
        return std::nullopt;
    return value;
}
