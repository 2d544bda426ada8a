#pragma once

// Unloads the single-instance windows `Windows...`, in the order given, when it goes out of
// scope: a test that a failed assertion ends early leaves no window loaded for the next.
template <typename... Windows> class UnloadGuard
{
public:
    UnloadGuard() = default;

    ~UnloadGuard() { (Windows::unload(), ...); }

    UnloadGuard(const UnloadGuard&) = delete;
    UnloadGuard& operator=(const UnloadGuard&) = delete;
};
