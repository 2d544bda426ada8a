#pragma once

#include <vector>

#include <QString>

// Every message box and input box of the program goes through this service, so that tests can
// answer them from a script and see what a user would have seen. Called on the UI thread only;
// a box is modal and the call returns when it is answered.

enum class MsgIcon { None, Critical, Question, Exclamation, Information };

enum class MsgButtons { OK, OKCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };

enum class MsgResult { OK = 1, Cancel, Abort, Retry, Ignore, Yes, No };

// The title a box shows when its caller gives none.
inline const QString kAppTitle = QStringLiteral("Kadentor");

struct BoxRequest
{
    enum class Kind { Message, Input };
    Kind kind = Kind::Message;
    QString text;
    QString title; // already resolved: never empty
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::OK;
    QString defaultText; // input boxes only
};

class MessageBoxService
{
public:
    virtual ~MessageBoxService() = default;

    MsgResult msgBox(const QString& text,
        MsgButtons buttons = MsgButtons::OK,
        MsgIcon icon = MsgIcon::None,
        const QString& title = {});

    // The typed text, or "" when the user cancels (an input box cannot tell an empty answer
    // from Cancel, and the callers rely on that).
    QString inputBox(
        const QString& prompt, const QString& title = {}, const QString& defaultText = {});

protected:
    virtual MsgResult showMessage(const BoxRequest& request) = 0;
    virtual QString showInput(const BoxRequest& request) = 0;
};

// Modal Qt dialogs over whatever window is active.
class QtMessageBoxService : public MessageBoxService
{
protected:
    MsgResult showMessage(const BoxRequest& request) override;
    QString showInput(const BoxRequest& request) override;
};
