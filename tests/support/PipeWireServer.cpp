#include "PipeWireServer.h"

#include <cstdio>

#include <sys/stat.h>
#include <unistd.h>

PipeWireServer::PipeWireServer()
    : SoundServer("kadentor-pipewire")
{
    mkdir((folder() + "/config").c_str(), 0700);
    mkdir((folder() + "/config/pipewire").c_str(), 0700);
    mkdir((folder() + "/config/pipewire/pipewire.conf.d").c_str(), 0700);
    // As a sound card would be: a sink of the graph's own rate that can drive the graph, and the
    // one the session manager picks as the default.
    writeFile(folder() + "/config/pipewire/pipewire.conf.d/kadentor-sink.conf",
        "context.objects = [\n"
        "    { factory = adapter\n"
        "        args = {\n"
        "            factory.name = support.null-audio-sink\n"
        "            node.name = kadentor_sink\n"
        "            node.description = \"Kadentor test sink\"\n"
        "            media.class = Audio/Sink\n"
        "            audio.position = [ FL FR ]\n"
        "            object.linger = true\n"
        "            priority.session = 2000\n"
        "            priority.driver = 2000\n"
        "        }\n"
        "    }\n"
        "]\n");
    // The bus's socket in this folder, not in /tmp: the bus is killed with the daemons and never
    // gets to remove it.
    writeFile(folder() + "/bus.conf",
        "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
        " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
        "<busconfig>\n"
        "  <type>session</type>\n"
        "  <listen>unix:dir="
            + folder()
            + "</listen>\n"
              "  <auth>EXTERNAL</auth>\n"
              "  <policy context=\"default\">\n"
              "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
              "    <allow eavesdrop=\"true\"/>\n"
              "    <allow own=\"*\"/>\n"
              "  </policy>\n"
              "</busconfig>\n");
}

bool PipeWireServer::installed()
{
    return !commandPath("pipewire").empty() && !commandPath("wireplumber").empty()
        && !commandPath("pipewire-pulse").empty() && !commandPath("dbus-run-session").empty()
        && !commandPath("pactl").empty() && !commandPath("parec").empty();
}

int PipeWireServer::underrunsLogged() const
{
    return countLines(folder() + "/pipewire-pulse.log", "UNDERFLOW channel");
}

std::string PipeWireServer::socketPath() const
{
    return folder() + "/pulse/native";
}

std::vector<std::string> PipeWireServer::daemonCommand() const
{
    // The session manager and the pulse server connect to the daemon's socket: they start once
    // it is there.
    const std::string script = "cd \"$XDG_RUNTIME_DIR\"\n"
                               "pipewire >>pipewire.log 2>&1 &\n"
                               "while [ ! -S pipewire-0 ]; do sleep 0.01; done\n"
                               "wireplumber >>wireplumber.log 2>&1 &\n"
                               "pipewire-pulse >>pipewire-pulse.log 2>&1 &\n"
                               "while kill -0 "
        + std::to_string(getpid())
        + " 2>/dev/null; do sleep 0.5; done\n"
          "kill -9 0\n";
    return { "dbus-run-session", "--config-file=" + folder() + "/bus.conf", "--", "sh", "-c",
        script };
}

void PipeWireServer::addDaemonEnvironment(std::vector<std::string>& variables) const
{
    // "debug": the pulse server's own messages, among them each stream's underruns.
    if (logLevel() == "debug")
        variables.push_back("PIPEWIRE_DEBUG=2,mod.protocol-pulse:4");
}

void PipeWireServer::clearLeftovers() const
{
    // A killed daemon leaves its sockets and locks; the next one would wait on a dead socket.
    for (const char* name : { "/pipewire-0", "/pipewire-0.lock", "/pulse/native", "/pulse/pid" })
        std::remove((folder() + name).c_str());
}
