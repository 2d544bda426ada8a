#pragma once

#include "SoundServer.h"

// A private PulseAudio daemon: its socket is "native" in folder(), its null sink runs at
// 44100 Hz, and it never exits for idleness. The daemon allows root with a warning. Its log is
// daemon.log in folder().
class PulseServer : public SoundServer
{
public:
    PulseServer();

    static bool installed();

    Kind kind() const override { return Kind::PulseAudio; }

    int underrunsLogged() const override;

protected:
    std::string socketPath() const override;
    std::vector<std::string> daemonCommand() const override;
};
