#pragma once

#include "platform/shell/InstanceGuard.h"

// Another copy of the program runs exactly when a test says so.
class FakeInstanceGuard : public InstanceGuard
{
public:
    bool running = false;

    bool anotherInstanceRunning() override { return running; }
};
