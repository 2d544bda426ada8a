#pragma once

#include <memory>
#include <utility>

#include <QtGlobal>

// The one instance of a window or hidden form: made by load(), reached through instance() until
// unload() destroys it. A window class derives from SingleInstance<itself> and so has these four
// as its own static members; AppWindows, which hands each window what it needs, is the only
// caller of load(). A window with a private constructor befriends SingleInstance<itself>. A
// window with its own load or unload steps wraps these under the same names. UI thread only.
template <typename Window> class SingleInstance
{
public:
    // Makes the instance from `args` when there is none; returns the one there is.
    template <typename... Args> static Window& load(Args&&... args)
    {
        std::unique_ptr<Window>& held = slot();
        if (!held)
            held.reset(new Window(std::forward<Args>(args)...));
        return *held;
    }

    // A window reached before it is loaded or after it is gone is a wiring fault: it stops the
    // program with the window's name in every build instead of running on through a null.
    static Window& instance()
    {
        Window* held = slot().get();
        if (!held)
            qFatal("%s reached while it is not loaded", Window::staticMetaObject.className());
        return *held;
    }

    static bool isLoaded() { return slot() != nullptr; }

    // Destroys the instance; while its destructor runs it already counts as not loaded.
    static void unload() { slot().reset(); }

protected:
    SingleInstance() = default;
    ~SingleInstance() = default;

private:
    static std::unique_ptr<Window>& slot()
    {
        static std::unique_ptr<Window> held;
        return held;
    }
};
