#pragma once

#include "wavpress/wavpress.h"

#include <cstdint>
#include <functional>
#include <optional>

#include <QString>

class EncoderLibrary;
class ID3tag;
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

// A stop request for the encoding under way; the progress callback answers it once and clears
// it. Lives as long as the program.
extern bool CancelEncoding;
// The tag the tag editor fills, and the tag bound to each new MP3 to stamp it. Made on first use,
// kept for the program's life.
ID3tag& PendingTag();
ID3tag& EncodedTag();

// What the run reads and sets of the encoder window.
class EncodingView
{
public:
    virtual ~EncodingView() = default;

    virtual int listCount() const = 0;
    virtual QString listEntry(int index) const = 0;
    // Makes entry `index` the current input, which derives the output name from it.
    virtual void selectEntry(int index) = 0;
    virtual QString currentEntry() const = 0;
    // The folder of several inputs, or the whole path of one.
    virtual QString Text1() const = 0;
    // The names of several inputs, each ended by CR LF; empty for one.
    virtual QString Text2() const = 0;
    virtual QString outputFolder() const = 0;
    virtual QString outputName() const = 0;

    virtual QString modeText() const = 0;
    virtual int frequencyIndex() const = 0;
    virtual QString frequencyText() const = 0;
    virtual QString bitrateText() const = 0;
    virtual void selectBitrate(int index) = 0;
    virtual QString maxBitrateText() const = 0;
    virtual int vbrQuality() const = 0;
    virtual bool vbrTicked() const = 0;
    virtual bool tagTicked() const = 0;
    virtual bool deleteTicked() const = 0;

    virtual bool playing() const = 0;
    // Stops the playing output, as the Play button does.
    virtual void stopPlaying() = 0;
    virtual void setPlayEnabled(bool enabled) = 0;
    virtual void setStopEnabled(bool enabled) = 0;
    // While true the run is inside the library: every control but Stop is held.
    virtual void setEncoding(bool encoding) = 0;
    virtual int progress() const = 0;
    virtual void setProgress(int percent) = 0;
    virtual void setPercentText(const QString& text) = 0;
    virtual void setStatus(const QString& text) = 0;
    // Lets the window handle what is pending (repaint, Stop, close).
    virtual void processEvents() = 0;
};

// One encoding run over the window's whole list or its current entry. It runs on the UI thread
// inside the library; the library's progress callback keeps the window live and answers a Stop.
class EncodingRun
{
public:
    EncodingRun(EncodingView& view, EncoderFunctions functions, MessageBoxService& boxes);
    ~EncodingRun();
    EncodingRun(const EncodingRun&) = delete;
    EncodingRun& operator=(const EncodingRun&) = delete;

    void EncodeAll();
    void EncodeSelected();

    // True when `path` can be read and its first 58 bytes hold "WAVE"; says why when not.
    bool IsValidWave(const QString& path);

    // The library's progress callback for the run under way.
    static std::int16_t EncodeProgress(std::int32_t percent);

private:
    void prepare();
    // False when the run must end.
    bool encodeEntry(std::optional<int> index);
    // The rate of an "Auto" input, from its format chunk wherever that stands; 0 (the library's
    // "the input's rate") without a format chunk that holds one; nullopt when it cannot be opened.
    std::optional<std::int32_t> headerRate(const QString& path);
    bool handleResult(std::int32_t result, bool all, const QString& input, const QString& output);
    std::int16_t progress(std::int32_t percent);

    EncodingView& m_view;
    EncoderFunctions m_functions;
    MessageBoxService& m_boxes;
    std::uint8_t m_mode = 0;
    WavpressProgress m_cell = &EncodingRun::EncodeProgress;
};

// A number in its shortest general form with the user's locale's decimal sign.
QString localeNumber(double value);
// The rate in kHz as the user's locale writes it: 22050 gives "22.05".
QString rateText(std::int32_t hertz);
// The same file, not merely the same name (links and "./" included); false when either is missing.
bool sameFile(const QString& a, const QString& b);
