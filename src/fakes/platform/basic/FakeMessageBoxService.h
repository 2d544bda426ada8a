#pragma once

#include "platform/basic/MessageBoxService.h"

#include <deque>
#include <functional>
#include <optional>

// Answers boxes from a script and records every box shown. With nothing scripted a message box
// answers with its first button (OK or Yes, Abort, Retry) and an input box with "" (Cancel).
// A notice is recorded with the boxes, and stays open until the program closes it.
class FakeMessageBoxService : public MessageBoxService
{
public:
    void answerNext(MsgResult result) { m_answers.push_back(result); }

    void answerInputNext(const QString& text) { m_inputs.push_back(text); }

    // Runs `action` while the next box is up, before it answers: what comes meanwhile (a
    // signal, a timer) in the program.
    void duringNextBox(std::function<void()> action) { m_during = std::move(action); }

    const std::vector<BoxRequest>& shown() const { return m_shown; }

    void clear() { m_shown.clear(); }

    // The notice showing now, as it was last given.
    const std::optional<BoxRequest>& openNotice() const { return m_notice; }

    int noticesClosed() const { return m_noticesClosed; }

protected:
    MsgResult showMessage(const BoxRequest& request) override;
    QString showInput(const BoxRequest& request) override;
    void showNotice(const BoxRequest& request) override;
    void hideNotice() override;

private:
    std::deque<MsgResult> m_answers;
    std::deque<QString> m_inputs;
    std::vector<BoxRequest> m_shown;
    std::optional<BoxRequest> m_notice;
    int m_noticesClosed = 0;
    std::function<void()> m_during;
};
