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

std::string commandPath(const char* name)
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

void writeFile(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

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

} // namespace

PulseServer::PulseServer()
{
    char pattern[] = "/tmp/kadentor-pulse-XXXXXX";
    if (const char* made = mkdtemp(pattern))
        m_folder = made;
    // The daemon refuses a runtime folder that others may enter.
    chmod(m_folder.c_str(), 0700);
    writeFile(m_folder + "/default.pa",
        "load-module module-null-sink sink_name=kadentor_sink rate=44100 channels=2\n"
        "set-default-sink kadentor_sink\n"
        "load-module module-native-protocol-unix auth-anonymous=1 socket="
            + m_folder + "/native\n");
    writeFile(m_folder + "/client.conf", "autospawn = no\n");
}

PulseServer::~PulseServer()
{
    stopRecording();
    stop();
    if (!m_folder.empty()) {
        const std::string command = "rm -rf '" + m_folder + "'";
        [[maybe_unused]] const int ignored = std::system(command.c_str());
    }
}

bool PulseServer::installed()
{
    return !commandPath("pulseaudio").empty() && !commandPath("pactl").empty()
        && !commandPath("parec").empty();
}

std::string PulseServer::address() const
{
    return "unix:" + m_folder + "/native";
}

void PulseServer::useInThisProcess() const
{
    setenv("PULSE_SERVER", address().c_str(), 1);
    setenv("PULSE_CLIENTCONFIG", (m_folder + "/client.conf").c_str(), 1);
}

std::vector<std::string> PulseServer::environment() const
{
    std::vector<std::string> variables;
    const char* const replaced[] = { "HOME=", "XDG_RUNTIME_DIR=", "PULSE_RUNTIME_PATH=",
        "PULSE_STATE_PATH=", "PULSE_SERVER=", "PULSE_CLIENTCONFIG=", "DBUS_SESSION_BUS_ADDRESS=" };
    for (char** variable = environ; *variable; ++variable) {
        bool keep = true;
        for (const char* name : replaced)
            keep = keep && std::strncmp(*variable, name, std::strlen(name)) != 0;
        if (keep)
            variables.emplace_back(*variable);
    }
    variables.push_back("HOME=" + m_folder);
    variables.push_back("XDG_RUNTIME_DIR=" + m_folder);
    variables.push_back("PULSE_RUNTIME_PATH=" + m_folder);
    variables.push_back("PULSE_STATE_PATH=" + m_folder);
    variables.push_back("PULSE_SERVER=" + address());
    variables.push_back("PULSE_CLIENTCONFIG=" + m_folder + "/client.conf");
    // With no session bus named the daemon tries to launch one, which holds it up for seconds.
    variables.push_back("DBUS_SESSION_BUS_ADDRESS=unix:path=" + m_folder + "/no-bus");
    return variables;
}

pid_t PulseServer::spawn(
    const std::vector<std::string>& arguments, const std::string& outputPath) const
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
    const std::vector<std::string> variables = environment();
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
    // Its own process group: a signal meant for the test never reaches it by the terminal.
    setpgid(0, 0);
    const int in = open("/dev/null", O_RDONLY);
    const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(errors.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0)
        _exit(127);
    execve(program.c_str(), argv.data(), envp.data());
    _exit(127);
}

int PulseServer::runTool(const std::vector<std::string>& arguments, std::string* output) const
{
    const std::string path = m_folder + "/tool.out";
    const pid_t pid = spawn(arguments, path);
    if (pid <= 0)
        return -1;
    const int status = waitChild(pid, 10000);
    if (output) {
        std::ifstream in(path, std::ios::binary);
        output->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return status;
}

bool PulseServer::start(int timeoutMs)
{
    if (m_folder.empty())
        return false;
    if (running())
        return true;
    m_daemon =
        spawn({ "pulseaudio", "-n", "-F", m_folder + "/default.pa", "--daemonize=no",
                  "--exit-idle-time=-1", "--use-pid-file=false", "--disallow-exit=true",
                  "--log-level=" + m_logLevel, "--log-target=file:" + m_folder + "/daemon.log" },
            {});
    if (m_daemon <= 0)
        return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (waitpid(m_daemon, &status, WNOHANG) == m_daemon) {
            m_daemon = -1; // it gave up (see daemon.log in the folder)
            return false;
        }
        if (runTool({ "pactl", "info" }) == 0)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    stop();
    return false;
}

void PulseServer::stop(int signal)
{
    if (m_daemon <= 0)
        return;
    kill(m_daemon, signal);
    if (waitChild(m_daemon, 10000) == -1 && signal != SIGKILL)
        kill(m_daemon, SIGKILL);
    m_daemon = -1;
}

bool PulseServer::startRecording(const std::string& path)
{
    stopRecording();
    m_recorder = spawn({ "parec", "--device=kadentor_sink.monitor", "--format=s16le",
                           "--rate=44100", "--channels=2", "--raw", "--latency-msec=10" },
        path);
    return m_recorder > 0;
}

void PulseServer::stopRecording()
{
    if (m_recorder <= 0)
        return;
    kill(m_recorder, SIGINT);
    waitChild(m_recorder, 5000);
    m_recorder = -1;
}

std::vector<std::int16_t> PulseServer::readRecording(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::int16_t> samples(bytes.size() / 4 * 2);
    if (!samples.empty()) // no copy from or to nowhere: a recording yet to begin is empty
        std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(std::int16_t));
    return samples;
}

std::optional<long> PulseServer::sinkVolume() const
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
