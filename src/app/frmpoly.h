#pragma once

#include "windows/SingleInstance.h"

#include <array>

#include <QDialog>
#include <QString>

class Metronome;
class QLineEdit;
class QPushButton;
struct Platform;

// The grouped-rhythm dialog "Set Rhythm": up to six group sizes, such as 3, 2, 2, make one bar of
// the metronome player, each group an up beat followed by down beats ("UDDUDUD", shown as
// "3+2+2"). OK plays the bar and unloads the dialog; Cancel puts back the pattern that was
// current when this showing opened and only hides it, so the fields stay. Enter in a field does
// what OK does. Controls carry their given names as object names. UI thread only.
class frmpoly : public QDialog, public SingleInstance<frmpoly>
{
    Q_OBJECT

public:
    static constexpr int kGroups = 6;
    // The most beats one group may hold.
    static constexpr int kMaxGroup = 64;

    frmpoly(Platform& platform, Metronome& metronome);
    ~frmpoly() override;

    // Modal; returns when OK or Cancel has closed the dialog.
    void showModal();

    // OK has run: the dialog is to be destroyed, and the next showing starts with empty fields.
    bool unloaded() const { return m_unloaded; }

    // The letters of one group: "U" and then a "D" for every further whole beat; empty for a
    // field that is empty or not above 0.
    static QString ExtrRitam(const QString& Field);
    // The bar's label: the valid fields as typed, joined by "+".
    static QString ExtrRitamMisc(const std::array<QString, kGroups>& fields);

    std::array<QLineEdit*, kGroups> txtpoly {};
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;

    // The main window's pattern as this showing found it.
    QString SavedPattern;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;

private:
    void buildControls();
    std::array<QString, kGroups> fieldTexts() const;
    void cmdOk_Click();

    Platform& m_platform;
    Metronome& m_metronome;
    bool m_unloaded = false;
};
