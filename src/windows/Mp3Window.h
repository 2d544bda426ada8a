#pragma once

#include <QString>

// The WAV-to-MP3 encoder as the recorder reaches it: hand over the take just saved, then show
// the encoder. Both load the encoder window first when it is not loaded. UI thread only.
class Mp3Window
{
public:
    virtual ~Mp3Window() = default;

    // Makes the one file the encoder's whole input: `fullPath` and the bare `fileName` are taken
    // as given, letter case included; the output name follows from `fileName`.
    virtual void ubaciW(const QString& fullPath, const QString& fileName) = 0;
    // Shows the encoder modal; returns when it has closed.
    virtual void show() = 0;
};
