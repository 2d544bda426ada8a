#pragma once

#include <QString>

class MessageBoxService;
class SettingsStore;

// The scale tempo in beats per minute: the hidden tempo text (`Text4`), its label (`lblMM`), the
// note interval text (`txtSpeed`) and the settings value `Speed` that keeps it between openings.
// UI thread only.
class ScaleTempo
{
public:
    ScaleTempo(SettingsStore& settings, MessageBoxService& boxes);

    // At the window's load: the stored tempo with at least three digits ("90" shows "090").
    void load();
    // At every key the computer keyboard plays: the stored tempo as stored.
    void keyPressed();
    // The "Scale Tempo" button: asks for a tempo and keeps a reply whose leading number lies in
    // 50..500, as typed. Returns false when the reply was empty (nothing changes, the focus
    // stays), true when the window gives the focus back to the keyboard.
    bool GGCommand12_Click();
    // At the window's unload.
    void unload();

    const QString& Text4() const { return m_text4; }

    const QString& txtSpeed() const { return m_txtSpeed; }

    const QString& lblMM() const { return m_text4; }

    // The note interval as a timer takes it: whole milliseconds, halves to even.
    int intervalMs() const;

    // The "000" format: a numeric text as a whole number of at least three digits; any other text
    // as it is.
    static QString threeDigits(const QString& text);

private:
    QString storedSpeed() const;
    void Text4_Change(const QString& text);

    SettingsStore& m_settings;
    MessageBoxService& m_boxes;
    QString m_text4 = QStringLiteral("120");
    QString m_txtSpeed = QStringLiteral("500");
};
