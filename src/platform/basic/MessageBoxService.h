#pragma once

#include <vector>

#include <QPointer>
#include <QString>

class QMessageBox;

// Every message box, input box and notice of the program goes through this service, so that tests
// can answer them from a script and see what a user would have seen. Called on the UI thread only.
// A message box or input box is modal and the call returns when it is answered. A notice is not:
// it tells the user of a state that mends itself (the sound output gone and back), so it waits for
// nobody, and every window, control and timer goes on while it shows.

enum class MsgIcon { None, Critical, Question, Exclamation, Information };

enum class MsgButtons { OK, OKCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };

enum class MsgResult { OK = 1, Cancel, Abort, Retry, Ignore, Yes, No };

// The title a box shows when its caller gives none.
inline const QString kAppTitle = QStringLiteral("Kadentor");

struct BoxRequest
{
    enum class Kind { Message, Input, Notice };
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

    // Shows a notice and returns at once. At most one shows at a time: a notice given while one
    // shows takes its place, text, icon and title. It goes when the user closes it (its OK
    // button, Escape, its frame), or at closeNotice(), which does nothing when none shows.
    void notice(
        const QString& text, MsgIcon icon = MsgIcon::Information, const QString& title = {});

    void closeNotice() { hideNotice(); }

    // From now on no box is shown: each answers at once as one closed unanswered does (OK for a
    // box with OK alone, else Cancel; an input box ""), and so does a box still up, whatever
    // closing it gave. The program ends without a user to ask.
    void stopAsking() { m_asking = false; }

    // What a box with `buttons` answers when it is closed without a button pressed.
    static MsgResult unanswered(MsgButtons buttons);

protected:
    virtual MsgResult showMessage(const BoxRequest& request) = 0;
    virtual QString showInput(const BoxRequest& request) = 0;
    virtual void showNotice(const BoxRequest& request) = 0;
    virtual void hideNotice() = 0;

private:
    bool m_asking = true;
};

// Modal Qt dialogs over whatever window is active; the notice a message box that is not modal,
// over the window active when it first shows.
class QtMessageBoxService : public MessageBoxService
{
public:
    QtMessageBoxService() = default;
    ~QtMessageBoxService() override;
    QtMessageBoxService(const QtMessageBoxService&) = delete;
    QtMessageBoxService& operator=(const QtMessageBoxService&) = delete;

protected:
    MsgResult showMessage(const BoxRequest& request) override;
    QString showInput(const BoxRequest& request) override;
    void showNotice(const BoxRequest& request) override;
    void hideNotice() override;

private:
    // Null once closed: a closed notice deletes itself, or goes with the window it shows over.
    QPointer<QMessageBox> m_notice;
};
