#include "PulseServer.h"

PulseServer::PulseServer()
    : SoundServer("kadentor-pulse")
{
    writeFile(folder() + "/default.pa",
        "load-module module-null-sink sink_name=kadentor_sink rate=44100 channels=2\n"
        "set-default-sink kadentor_sink\n"
        "load-module module-native-protocol-unix auth-anonymous=1 socket="
            + socketPath() + "\n");
}

bool PulseServer::installed()
{
    return !commandPath("pulseaudio").empty() && !commandPath("pactl").empty()
        && !commandPath("parec").empty();
}

int PulseServer::underrunsLogged() const
{
    return countLines(folder() + "/daemon.log", "underrun of '");
}

std::string PulseServer::socketPath() const
{
    return folder() + "/native";
}

std::vector<std::string> PulseServer::daemonCommand() const
{
    return { "pulseaudio", "-n", "-F", folder() + "/default.pa", "--daemonize=no",
        "--exit-idle-time=-1", "--use-pid-file=false", "--disallow-exit=true",
        "--log-level=" + logLevel(), "--log-target=file:" + folder() + "/daemon.log" };
}
