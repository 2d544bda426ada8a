#pragma once

// Fakes of what the main window's openers reach, all writing into one log of effects, so that a
// test sees the order across the player, the sounds, the toggle and the windows.

#include "app/OtherWindows.h"
#include "app/PlayerWindow.h"
#include "app/WindowOpeners.h"

#include <functional>

#include <QString>
#include <QStringList>

// Records "stani", "stani2", "txtmidi=NAME", "DajJako=LEVEL" into `calls`, its own list or the
// shared one it is given.
class FakePlayerWindow : public PlayerWindow
{
public:
    FakePlayerWindow()
        : calls(m_own)
    {}

    explicit FakePlayerWindow(QStringList& log)
        : calls(log)
    {}

    void stani2() override { calls << QStringLiteral("stani2"); }

    void stani() override { calls << QStringLiteral("stani"); }

    void setTxtmidi(const QString& fileName) override
    {
        calls << QStringLiteral("txtmidi=") + fileName;
    }

    void DajJako(std::int32_t Level) override
    {
        calls << QStringLiteral("DajJako=") + QString::number(Level);
    }

    QStringList& calls;

private:
    QStringList m_own;
};

// Records "show:NAME" for each window shown, then runs `onShow` (a test looks at the main
// window as the window opens).
class FakeOtherWindows : public OtherWindows
{
public:
    explicit FakeOtherWindows(QStringList& log)
        : m_log(log)
    {}

    void showPiano() override { shown(QStringLiteral("piano")); }

    void showRecorder() override { shown(QStringLiteral("frmRec")); }

    void showMp3Modal() override { shown(QStringLiteral("frmMp3")); }

    void showFrmpolyModal() override { shown(QStringLiteral("frmpoly")); }

    void showFrmPaternModal() override { shown(QStringLiteral("frmPatern")); }

    void showFrmMSoundModal() override { shown(QStringLiteral("frmMSound")); }

    void showHelp() override { shown(QStringLiteral("help")); }

    void showAboutModal() override { shown(QStringLiteral("frmabout")); }

    int count(const QString& window) const { return m_log.count(QStringLiteral("show:") + window); }

    std::function<void(const QString& window)> onShow;

private:
    void shown(const QString& window)
    {
        m_log << QStringLiteral("show:") + window;
        if (onShow)
            onShow(window);
    }

    QStringList& m_log;
};

// The main window as the openers see it: a mode word, a running flag that the toggle clears,
// and every call recorded ("StopSound", "imstop_Click", "Text2=TEXT", "lblTempo=TEXT",
// "dial=VALUE").
class FakeOpenerHost : public OpenerHost
{
public:
    explicit FakeOpenerHost(QStringList& log)
        : m_log(log)
    {}

    QString lblcd() const override { return mode; }

    bool running() const override { return runs; }

    void imstop_Click() override
    {
        m_log << QStringLiteral("imstop_Click");
        runs = !runs;
    }

    void StopSound() override { m_log << QStringLiteral("StopSound"); }

    void setText2(const QString& caption) override { m_log << QStringLiteral("Text2=") + caption; }

    void setLblTempo(const QString& caption) override
    {
        m_log << QStringLiteral("lblTempo=") + caption;
    }

    void setDialValue(double dateTime) override
    {
        m_log << QStringLiteral("dial=") + QString::number(dateTime);
    }

    QString mode = QStringLiteral("MM");
    bool runs = false;

private:
    QStringList& m_log;
};
