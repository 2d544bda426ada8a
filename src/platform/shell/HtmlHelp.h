#pragma once

#include <cstdint>

#include <QPointer>
#include <QString>
#include <QTextBrowser>

class QUrl;
class QWidget;

// The program's help viewer: one modeless window of its own showing an HTML help file, made on
// first use and reused by every later call (it stays until the program ends or the user closes
// it). It reads local files only: no network, and a link that leads out of the help file is not
// followed. UI thread only.
class HtmlHelp
{
public:
    HtmlHelp();
    ~HtmlHelp();
    HtmlHelp(const HtmlHelp&) = delete;
    HtmlHelp& operator=(const HtmlHelp&) = delete;

    // Shows `HelpFile` at its top (ContextId 0) or at its anchor "ctx<ContextId>", and brings
    // the window up. False, with nothing shown and nothing said, when the file does not exist.
    // `hWnd` is the calling window; the help window does not belong to it.
    bool ShowHtmlHelp(const QString& HelpFile, QWidget* hWnd, std::int32_t ContextId);

    // The help window; null until the first call.
    QTextBrowser* window() const { return m_browser.data(); }

private:
    void follow(const QUrl& link);

    QPointer<QTextBrowser> m_browser;
};
