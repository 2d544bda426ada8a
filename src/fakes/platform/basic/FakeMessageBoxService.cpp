#include "platform/basic/FakeMessageBoxService.h"

#include <utility>

namespace {

// The answer of a box nobody scripted: its first button, as Enter on a fresh box gives.
MsgResult firstButton(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::AbortRetryIgnore:
        return MsgResult::Abort;
    case MsgButtons::YesNoCancel:
    case MsgButtons::YesNo:
        return MsgResult::Yes;
    case MsgButtons::RetryCancel:
        return MsgResult::Retry;
    default:
        return MsgResult::OK;
    }
}

} // namespace

MsgResult FakeMessageBoxService::showMessage(const BoxRequest& request)
{
    m_shown.push_back(request);
    if (const std::function<void()> during = std::exchange(m_during, nullptr))
        during();
    if (m_answers.empty())
        return firstButton(request.buttons);
    const MsgResult answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

QString FakeMessageBoxService::showInput(const BoxRequest& request)
{
    m_shown.push_back(request);
    if (m_inputs.empty())
        return {};
    QString answer = m_inputs.front();
    m_inputs.pop_front();
    return answer;
}

void FakeMessageBoxService::showNotice(const BoxRequest& request)
{
    m_shown.push_back(request);
    m_notice = request;
}

void FakeMessageBoxService::hideNotice()
{
    if (!m_notice)
        return;
    m_notice.reset();
    ++m_noticesClosed;
}
