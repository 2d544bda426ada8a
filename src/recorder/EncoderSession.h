#pragma once

#include "ID3tag.h"
#include "wavpress/wavpress.h"

#include <cstdint>
#include <functional>
#include <optional>

class QString;

// What an encoding shows while it is inside the library: the progress bar with its label, and
// the window's pending events.
class EncodingProgress
{
public:
    virtual ~EncodingProgress() = default;

    // The bar's value, 0 to 100.
    virtual int progress() const = 0;
    // Sets the bar to `percent` and the label beside it to `text`.
    virtual void setProgress(int percent, const QString& text) = 0;
    // Lets the window handle what is pending (repaint, Stop, close).
    virtual void processEvents() = 0;
};

// What the encoder keeps for the program's life, across openings of its window: the stop request
// for the encoding under way, the tag the tag editor fills, and the tag bound to each new MP3 to
// stamp it. The composition root owns the one session; the windows borrow it.
//
// The library's progress function carries no context of its own, so the session whose encoding
// is inside the library is reached through one static pointer, set only for that call.
// UI thread only.
class EncoderSession
{
public:
    EncoderSession() = default;
    ~EncoderSession();
    EncoderSession(const EncoderSession&) = delete;
    EncoderSession& operator=(const EncoderSession&) = delete;

    // Set by Stop; answered once, and cleared, by the next progress report of the encoding under
    // way. A request made while none is under way is dropped before the next one starts.
    bool CancelEncoding() const { return m_CancelEncoding; }

    void setCancelEncoding(bool cancel) { m_CancelEncoding = cancel; }

    // Filled by the tag editor, never bound to a file.
    ID3tag& PendingTag() { return m_PendingTag; }

    // Bound to each new MP3 in turn, given PendingTag's fields and saved.
    ID3tag& EncodedTag() { return m_EncodedTag; }

    using LibraryCall = std::function<std::optional<std::int32_t>(WavpressProgress* cell)>;

    // Makes one library call, handing it the cell of EncodeProgress, whose reports go to
    // `progress`: the bar and label change only when the percentage does, a stop request is
    // answered (asked before the events run, so a Stop clicked during one report is answered at
    // the next), then the events run. Answers what the call answers.
    std::optional<std::int32_t> encode(EncodingProgress& progress, const LibraryCall& call);

    // The library's progress function: -1 to go on, 0 to stop; -1 when no encoding is under way.
    static std::int16_t EncodeProgress(std::int32_t percent);

private:
    std::int16_t report(std::int32_t percent);

    bool m_CancelEncoding = false;
    EncodingProgress* m_progress = nullptr;
    WavpressProgress m_cell = &EncoderSession::EncodeProgress;
    ID3tag m_PendingTag;
    ID3tag m_EncodedTag;
};
