#pragma once

#include "SoundServer.h"

// A private PipeWire as a desktop runs it: the pipewire daemon, its session manager
// (wireplumber) and its pulse server (pipewire-pulse), with Debian's own configuration (a graph
// at 48000 Hz, its default quantum) and one more file: a null sink, kadentor_sink, driving the
// graph on its own timer as a sound card would. They run under a session bus of their own
// (dbus-run-session), as the user's session gives them one, with folder() as their runtime,
// configuration and state folder; the pulse server's socket is pulse/native in it. Their logs
// are pipewire.log, wireplumber.log and pipewire-pulse.log in folder().
//
// The daemons' shell watches the test's process and takes the whole group down when it is gone,
// so that a test that crashes leaves nothing running (the group's leader alone would get the
// signal that the test's end sends).
class PipeWireServer : public SoundServer
{
public:
    PipeWireServer();

    static bool installed();

    Kind kind() const override { return Kind::PipeWire; }

    int underrunsLogged() const override;

protected:
    std::string socketPath() const override;
    std::vector<std::string> daemonCommand() const override;
    void addDaemonEnvironment(std::vector<std::string>& variables) const override;
    void clearLeftovers() const override;
};
