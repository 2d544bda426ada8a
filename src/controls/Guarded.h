#pragma once

#include <exception>

#include <QtGlobal>

// Runs a step of an event handler so that no exception leaves it: Qt's event loop must never
// see one. A failing step is reported on the debug log and skipped, and the handler goes on with
// its next step, which is how the controls' drawing and event code treats a failing statement.
template <typename Step> void guarded(const char* where, Step&& step) noexcept
{
    try {
        step();
    } catch (const std::exception& error) {
        qWarning("%s: %s", where, error.what());
    } catch (...) {
        qWarning("%s: unknown failure", where);
    }
}
