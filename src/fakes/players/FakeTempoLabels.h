#pragma once

#include "windows/TempoLabels.h"

#include <utility>
#include <vector>

// The main window's tempo labels for tests: holds the captions and records each write in order
// as {label name, caption}.
class FakeTempoLabels : public TempoLabels
{
public:
    using Write = std::pair<QString, QString>;

    QString lblTempo() const override { return m_lblTempo; }

    void setLblTempo(const QString& caption) override
    {
        m_lblTempo = caption;
        m_writes.push_back({ QStringLiteral("lblTempo"), caption });
    }

    void setText2(const QString& caption) override
    {
        m_text2 = caption;
        m_writes.push_back({ QStringLiteral("Text2"), caption });
    }

    QString text2() const { return m_text2; }

    const std::vector<Write>& writes() const { return m_writes; }

    void clearWrites() { m_writes.clear(); }

private:
    QString m_lblTempo;
    QString m_text2;
    std::vector<Write> m_writes;
};
