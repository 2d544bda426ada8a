#pragma once

#include <QObject>
#include <QTimer>

struct Platform;

// Tells the user, once a run, that the program plays no sound because it found no output it can
// use: at start-up when no sound device opened, or later when the output failed and none could
// be opened in its place. It also polls the sound output, so that a failed output is reopened
// (the beat goes on in time either way). UI thread only.
class SoundOutputNotice : public QObject
{
    Q_OBJECT

public:
    static constexpr int kPollMs = 1000;

    explicit SoundOutputNotice(Platform& platform, QObject* parent = nullptr);

    // Checks once the event loop runs (so the main window shows behind the box), then polls.
    void start();

    void checkAtStart();
    void poll();

private:
    void tell(const QString& text);

    Platform& m_platform;
    QTimer m_timer;
    bool m_told = false;
};
