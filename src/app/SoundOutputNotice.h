#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

struct Platform;

// Tells the user that the program plays no sound because it found no output it can use: at
// start-up when no sound device opened, or later when the output failed and none could be opened
// in its place; once for each such loss, since the sound comes back by itself when the output
// does. The telling is a notice (MessageBoxService::notice), at most one at a time, that goes by
// itself when the sound is back; standard error gets one line for each loss and each return.
//
// It also polls the sound output, so that a failed output is reopened, and, while one may open in
// the background, looks often for it, so that it is taken at once (the beat goes on in time
// either way). Nothing it shows may wait for the user: while a slot of the poll's timer waited,
// that timer would not fire again, and every later loss would go unseen. UI thread only.
class SoundOutputNotice : public QObject
{
    Q_OBJECT

public:
    static constexpr int kPollMs = 1000;
    // How often the engine is asked (an atomic) whether an output waits to be taken, while one
    // may open (AudioEngine::outputMayOpen): soon enough that a grown block follows its late
    // block within one click.
    static constexpr int kWaitingPollMs = 20;

    explicit SoundOutputNotice(Platform& platform, QObject* parent = nullptr);

    // Checks once the event loop runs (so the main window shows behind the notice), then polls.
    void start();

    void checkAtStart();
    void poll();

private:
    void lookForWaitingOutput();
    void tell(const QString& text, const char* line);

    Platform& m_platform;
    QTimer m_timer;
    QTimer m_waitingTimer;
    // Said for the loss going on now; cleared once sound plays again, when the notice goes.
    bool m_told = false;
};
