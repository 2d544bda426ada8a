#pragma once

#include "platform/basic/MessageBoxService.h"

#include <deque>

// Answers boxes from a script and records every box shown. With nothing scripted a message box
// answers with its first button (OK or Yes, Abort, Retry) and an input box with "" (Cancel).
class FakeMessageBoxService : public MessageBoxService
{
public:
    void answerNext(MsgResult result) { m_answers.push_back(result); }

    void answerInputNext(const QString& text) { m_inputs.push_back(text); }

    const std::vector<BoxRequest>& shown() const { return m_shown; }

    void clear() { m_shown.clear(); }

protected:
    MsgResult showMessage(const BoxRequest& request) override;
    QString showInput(const BoxRequest& request) override;

private:
    std::deque<MsgResult> m_answers;
    std::deque<QString> m_inputs;
    std::vector<BoxRequest> m_shown;
};
