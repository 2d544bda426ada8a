#include "platform/shell/HtmlHelp.h"

#include "platform/shell/ShellHelpers.h"

#include <QFileInfo>
#include <QScrollBar>
#include <QTextBrowser>
#include <QUrl>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 560;

} // namespace

HtmlHelp::HtmlHelp() = default;

HtmlHelp::~HtmlHelp()
{
    delete m_browser.data();
}

bool HtmlHelp::ShowHtmlHelp(
    const QString& HelpFile, [[maybe_unused]] QWidget* hWnd, std::int32_t ContextId)
{
    if (!CheckFileExists(HelpFile))
        return false;
    if (!m_browser) {
        m_browser = new QTextBrowser;
        m_browser->setObjectName(QStringLiteral("HtmlHelp"));
        m_browser->setWindowTitle(QStringLiteral("Kadentor Help"));
        m_browser->resize(kWidth, kHeight);
        // Links are followed here, and only within the help file.
        m_browser->setOpenLinks(false);
        m_browser->setOpenExternalLinks(false);
        QObject::connect(m_browser.data(), &QTextBrowser::anchorClicked, m_browser.data(),
            [this](const QUrl& link) {
                follow(link);
            });
    }
    const QUrl file = QUrl::fromLocalFile(QFileInfo(HelpFile).absoluteFilePath());
    if (m_browser->source() != file)
        m_browser->setSource(file);
    else
        m_browser->reload();
    if (ContextId == 0)
        m_browser->verticalScrollBar()->setValue(0);
    else
        m_browser->scrollToAnchor(QStringLiteral("ctx") + QString::number(ContextId));
    m_browser->show();
    m_browser->raise();
    m_browser->activateWindow();
    return m_browser->isVisible();
}

void HtmlHelp::follow(const QUrl& link)
{
    const QUrl here = m_browser->source();
    const QUrl target = here.resolved(link);
    if (target.adjusted(QUrl::RemoveFragment) != here.adjusted(QUrl::RemoveFragment))
        return;
    if (target.hasFragment())
        m_browser->scrollToAnchor(target.fragment());
    else
        m_browser->verticalScrollBar()->setValue(0);
}
