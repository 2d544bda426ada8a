#include "platform/basic/MessageBoxService.h"

#include <algorithm>

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>

MsgResult MessageBoxService::msgBox(
    const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title)
{
    BoxRequest request;
    request.kind = BoxRequest::Kind::Message;
    request.text = text;
    request.title = title.isEmpty() ? kAppTitle : title;
    request.icon = icon;
    request.buttons = buttons;
    if (!m_asking)
        return unanswered(buttons);
    const MsgResult answer = showMessage(request);
    // A box up when the program began to end was closed by the end, not answered: closing a
    // Yes/No box gives its No, which nobody chose.
    return m_asking ? answer : unanswered(buttons);
}

QString MessageBoxService::inputBox(
    const QString& prompt, const QString& title, const QString& defaultText)
{
    BoxRequest request;
    request.kind = BoxRequest::Kind::Input;
    request.text = prompt;
    request.title = title.isEmpty() ? kAppTitle : title;
    request.defaultText = defaultText;
    if (!m_asking)
        return QString();
    const QString answer = showInput(request);
    return m_asking ? answer : QString();
}

MsgResult MessageBoxService::unanswered(MsgButtons buttons)
{
    return buttons == MsgButtons::OK ? MsgResult::OK : MsgResult::Cancel;
}

void MessageBoxService::notice(const QString& text, MsgIcon icon, const QString& title)
{
    BoxRequest request;
    request.kind = BoxRequest::Kind::Notice;
    request.text = text;
    request.title = title.isEmpty() ? kAppTitle : title;
    request.icon = icon;
    showNotice(request);
}

namespace {

QMessageBox::StandardButtons qtButtons(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::OK:
        return QMessageBox::Ok;
    case MsgButtons::OKCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::AbortRetryIgnore:
        return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case MsgButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MsgButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon qtIcon(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::None:
        return QMessageBox::NoIcon;
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Information:
        return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

} // namespace

MsgResult QtMessageBoxService::showMessage(const BoxRequest& request)
{
    // Owned by the active window, which an unload queued before the box came may destroy while
    // the box is up: the box then goes with it, unanswered, and is never freed a second time.
    const QPointer<QMessageBox> box = new QMessageBox(qtIcon(request.icon), request.title,
        request.text, qtButtons(request.buttons), QApplication::activeWindow());
    const int answer = box->exec();
    delete box.data();
    switch (answer) {
    case QMessageBox::Ok:
        return MsgResult::OK;
    case QMessageBox::Cancel:
        return MsgResult::Cancel;
    case QMessageBox::Abort:
        return MsgResult::Abort;
    case QMessageBox::Retry:
        return MsgResult::Retry;
    case QMessageBox::Ignore:
        return MsgResult::Ignore;
    case QMessageBox::Yes:
        return MsgResult::Yes;
    case QMessageBox::No:
        return MsgResult::No;
    default:
        // Closing the box by its frame or Escape counts as its cancelling button.
        return unanswered(request.buttons);
    }
}

QString QtMessageBoxService::showInput(const BoxRequest& request)
{
    bool ok = false;
    const QString text = QInputDialog::getText(QApplication::activeWindow(), request.title,
        request.text, QLineEdit::Normal, request.defaultText, &ok);
    return ok ? text : QString();
}

QtMessageBoxService::~QtMessageBoxService()
{
    delete m_notice;
}

namespace {

// Beside `window` (to its right, else to its left, else below it) where the screen has room, so
// that the notice covers none of that window's controls: they all work while it shows. Where
// none has room it stays where Qt put it.
void placeBeside(QWidget& notice, const QWidget& window)
{
    constexpr int kGap = 8;
    const QRect screen = window.screen()->availableGeometry();
    const QRect beside = window.frameGeometry();
    const QSize size = notice.frameGeometry().size();
    const QPoint places[] = { { beside.right() + 1 + kGap, beside.top() },
        { beside.left() - kGap - size.width(), beside.top() },
        { beside.left(), beside.bottom() + 1 + kGap } };
    for (const QPoint at : places) {
        QRect frame(at, size);
        frame.moveTop(
            std::max(screen.top(), std::min(frame.top(), screen.bottom() + 1 - size.height())));
        if (screen.contains(frame)) {
            notice.move(frame.topLeft());
            return;
        }
    }
}

// The window a notice shows over: the active one, else a visible window of the program's own (at
// start-up none is active yet).
QWidget* noticeOwner()
{
    if (QWidget* active = QApplication::activeWindow())
        return active;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && window->windowType() == Qt::Window)
            return window;
    }
    return nullptr;
}

} // namespace

void QtMessageBoxService::showNotice(const BoxRequest& request)
{
    const bool fresh = !m_notice;
    if (fresh) {
        m_notice = new QMessageBox(noticeOwner());
        // A message box makes itself modal when it is made: this one must hold nothing up.
        m_notice->setWindowModality(Qt::NonModal);
        m_notice->setAttribute(Qt::WA_DeleteOnClose);
        // Closed by the program too: never the last window whose closing ends the program.
        m_notice->setAttribute(Qt::WA_QuitOnClose, false);
        m_notice->setStandardButtons(QMessageBox::Ok);
    }
    m_notice->setIcon(qtIcon(request.icon));
    m_notice->setWindowTitle(request.title);
    m_notice->setText(request.text);
    // A message box takes its size as it shows: it is placed once that is known.
    m_notice->show();
    if (fresh && m_notice->parentWidget())
        placeBeside(*m_notice, *m_notice->parentWidget());
}

void QtMessageBoxService::hideNotice()
{
    if (m_notice)
        m_notice->close();
}
