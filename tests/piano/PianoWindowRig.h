#pragma once

#include "app/FlamMenus.h"
#include "app/FlamPopupMenus.h"
#include "piano/frmMidiPiano.h"
#include "platform/FakePlatform.h"
#include "platform/midi/FakeMidiOut.h"
#include "windows/PopupMenus.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTest>

#include <gtest/gtest.h>

// The piano window on the fake platform, with the real menus of the engine form and their real
// handlers, shown, active and holding the focus; the MIDI log starts empty.
struct WindowRig
{
    using Messages = std::vector<std::uint32_t>;
    static constexpr int kNoIndex = PopupMenus::kNoIndex;

    WindowRig()
    {
        menus.setTargets({ .mainWindow = {},
            .piano = [this]() -> PianoCommands* {
                return window.get();
            },
            .showAbout = {} });
        open();
    }

    void open()
    {
        window = std::make_unique<frmMidiPiano>(fake.platform, popups, [this](bool byEscape) {
            closings.push_back(byEscape);
        });
        window->show();
        activate(window.get());
        window->setFocus();
        fake.midiOut().clearLog();
    }

    // The window that gets the keys, as the windowing system would make it on a click. (A tool
    // window shares its activation with its owner as QApplication reports it: the keys go to the
    // focus window.)
    static void activate(QWidget* w)
    {
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([w] {
            return QGuiApplication::focusWindow() == w->windowHandle();
        }));
    }

    bool holdsTheKeyboard() const
    {
        return QGuiApplication::focusWindow() == window->windowHandle()
            && QApplication::focusWidget() == window.get();
    }

    // A key event sent straight to the window, with the flags and time a test gives it.
    void key(QEvent::Type type, Qt::Key key, bool repeat = false, quint64 time = 0)
    {
        QKeyEvent event(type, key, Qt::NoModifier, QString(), repeat);
        event.setTimestamp(time);
        QApplication::sendEvent(window.get(), &event);
    }

    // A key pressed or let go as the user does it: to whatever holds the keyboard focus now,
    // stamped later than every key before it.
    static void sendKey(QEvent::Type type, Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        static quint64 time = 1'000'000;
        QWidget* focus = QApplication::focusWidget();
        // With no focus widget the test has failed already; sending the key to nothing would
        // crash it and hide the cases after it.
        ASSERT_NE(focus, nullptr) << "nothing holds the keyboard for the key's "
                                  << (type == QEvent::KeyPress ? "press" : "release");
        QKeyEvent event(type, key, modifiers);
        event.setTimestamp(time += 100);
        QApplication::sendEvent(focus, &event);
    }

    // A key typed: pressed and released, each to whatever holds the focus as it comes.
    static void typeKey(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        sendKey(QEvent::KeyPress, key, modifiers);
        sendKey(QEvent::KeyRelease, key, modifiers);
    }

    // The mouse moved to a point of a widget and clicked there, delivered through its window as
    // the mouse delivers it: to the widget under the point, or to the open pop-up.
    static void clickAt(QWidget* widget, QPoint at)
    {
        QWidget* top = QApplication::activePopupWidget() ? QApplication::activePopupWidget()
                                                         : widget->window();
        const QPoint p = widget->mapTo(widget->window(), at);
        const QPoint inTop = top->mapFromGlobal(widget->window()->mapToGlobal(p));
        QTest::mouseMove(top->windowHandle(), inTop);
        QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {}, inTop);
    }

    // Note Ons sent since the log was last cleared.
    std::vector<int> notesOn()
    {
        std::vector<int> notes;
        for (const std::uint32_t m : fake.midiOut().messages()) {
            if ((m & 0xF0) == 0x90 && ((m >> 16) & 0x7F) > 0)
                notes.push_back(static_cast<int>((m >> 8) & 0x7F));
        }
        return notes;
    }

    FakePlatform fake;
    FlamMenus menus;
    FlamPopupMenus popups { menus };
    std::vector<bool> closings;
    std::unique_ptr<frmMidiPiano> window;
};
