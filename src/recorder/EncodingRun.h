#pragma once

#include "EncoderSession.h"
#include "wavpress/wavpress.h"

#include <cstdint>
#include <functional>
#include <optional>

#include <QString>
#include <QStringList>

class EncoderLibrary;
class MessageBoxService;

// The encoder library's two functions as the run calls them; nullopt when the library or the
// function cannot be had. Tests pass scripted ones.
struct EncoderFunctions
{
    std::function<std::optional<std::int32_t>(const QString& in,
        const QString& out,
        std::int32_t kbps,
        std::int32_t sampleRate,
        std::uint8_t mode,
        WavpressProgress* cell)>
        EncodeMp3;
    std::function<std::optional<std::int32_t>(
        std::int32_t enable, std::int32_t quality, std::int32_t minKbps, std::int32_t maxKbps)>
        SetVBR;
};

EncoderFunctions functionsOf(EncoderLibrary& library);

// The encoder window's inputs and choices as they stand; the run reads them afresh for each entry.
struct EncoderSettings
{
    // The folder of several inputs, or the whole path of one.
    QString Text1;
    // The names of several inputs, each ended by CR LF; empty for one.
    QString Text2;
    // The input list, and the text of its box (the current entry, or what the user typed).
    QStringList entries;
    QString currentEntry;
    QString outputFolder;
    QString outputName;

    QString modeText;
    // 0 is "Auto".
    int frequencyIndex = 0;
    QString frequencyText;
    QString bitrateText;
    QString maxBitrateText;
    int vbrQuality = 0;
    bool vbr = false;
    bool tag = false;
    bool deleteInput = false;
    // The output is playing.
    bool playing = false;
};

// What the run sets of the encoder window, besides its progress.
class EncodingView : public EncodingProgress
{
public:
    virtual EncoderSettings settings() const = 0;
    // Makes entry `index` current, which derives the output name from it.
    virtual void selectEntry(int index) = 0;
    virtual void selectBitrate(int index) = 0;
    // Stops the playing output, as the Play button does.
    virtual void stopPlaying() = 0;
    virtual void setPlayEnabled(bool enabled) = 0;
    virtual void setStopEnabled(bool enabled) = 0;
    // While true the run is inside the library: every control but Stop is held.
    virtual void setEncoding(bool encoding) = 0;
    virtual void setStatus(const QString& text) = 0;
};

// One encoding run over the window's whole list or its current entry. It runs on the UI thread
// inside the library; the session's progress function keeps the window live and answers a Stop.
class EncodingRun
{
public:
    EncodingRun(EncoderSession& session,
        EncodingView& view,
        EncoderFunctions functions,
        MessageBoxService& boxes);

    void EncodeAll();
    void EncodeSelected();

    // True when `path` can be read and its first 58 bytes hold "WAVE"; says why when not.
    bool IsValidWave(const QString& path);

private:
    void prepare();
    // False when the run must end.
    bool encodeEntry(std::optional<int> index);
    // The rate of an "Auto" input, from its format chunk wherever that stands; 0 (the library's
    // "the input's rate") without a format chunk that holds one; nullopt when it cannot be opened.
    std::optional<std::int32_t> headerRate(const QString& path);
    bool handleResult(std::int32_t result,
        bool all,
        const EncoderSettings& settings,
        const QString& input,
        const QString& output);

    EncoderSession& m_session;
    EncodingView& m_view;
    EncoderFunctions m_functions;
    MessageBoxService& m_boxes;
    std::uint8_t m_mode = 0;
};

// A number in its shortest general form with the user's locale's decimal sign.
QString localeNumber(double value);
// The rate in kHz as the user's locale writes it: 22050 gives "22.05".
QString rateText(std::int32_t hertz);
// The same file, not merely the same name (links and "./" included); false when either is missing.
bool sameFile(const QString& a, const QString& b);
