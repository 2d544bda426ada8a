#pragma once

#include "app/PatternBook.h"
#include "windows/SingleInstance.h"

#include <optional>

#include <QDialog>

class Metronome;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStringListModel;
struct Platform;

// The pattern-rhythm dialog "Pattern Rhythm": the user types a bar pattern and its start step,
// keeps named patterns in the pattern book, and OK plays the pattern through the pattern player
// from that step. Made at its first showing and afterwards only hidden, so its fields, lists and
// selection stay between showings. Enter in a field does what OK does. Controls carry their
// given names as object names. UI thread only.
class frmPatern : public QDialog, public SingleInstance<frmPatern>
{
    Q_OBJECT

public:
    // Loads the pattern file and shows its first record.
    frmPatern(Platform& platform, Metronome& metronome);
    ~frmPatern() override;

    // Modal; returns when OK or Cancel has hidden the dialog.
    void showModal();

    const PatternBook& book() const { return m_book; }

    // The record the fields show, as an index into the book; empty until a record is selected.
    std::optional<qsizetype> SelectedIndex;

    QComboBox* txtRit1 = nullptr; // the name, with the names of the book's records as its list
    QLineEdit* txtRit = nullptr; // the pattern
    QLineEdit* txtBB = nullptr; // the start step
    QLabel* Label7 = nullptr; // "Pattern (Len: N)"
    QPushButton* Command2 = nullptr; // Save
    QPushButton* Command1 = nullptr; // Remove
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;

private:
    void buildControls();
    void Form_Load();
    void PuniFje();
    void PodeliFje(const QString& Record);
    void List1_Click(std::optional<qsizetype> index);
    void txtRit1_Click(int index);
    void txtRit_Change();
    void txtBB_Change();
    void NormalizePatternInput();
    void cmdOk_Click();
    void Command2_Click();
    void ProveriFje();
    void Command1_Click();
    // The file as it is now, before a change rewrites it, so that what was added or removed by
    // hand since it was read is not undone; the fields keep what was typed.
    void reloadBook();
    // After a change of the file: the names again, and `index` (the last record when past the
    // end) selected and shown.
    void showBookAt(qsizetype index);
    void tellWriteFailed(const QString& reason);

    Platform& m_platform;
    Metronome& m_metronome;
    PatternBook m_book;
    QStringListModel* m_names = nullptr;
    bool m_clampingStart = false;
};
