#include "app/frmPatern.h"

#include "app/DialogLayout.h"
#include "app/Metronome.h"
#include "platform/Platform.h"
#include "platform/basic/MessageBoxService.h"

#include <algorithm>
#include <functional>

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringListModel>

namespace {

const QString kInvalidInput = QStringLiteral("Invalid Input");

} // namespace

frmPatern::frmPatern(Platform& platform, Metronome& metronome)
    : m_platform(platform)
    , m_metronome(metronome)
    , m_book(platform)
{
    setObjectName(QStringLiteral("frmPatern"));
    setWindowTitle(QStringLiteral("Pattern Rhythm"));
    buildControls();
    Form_Load();
}

frmPatern::~frmPatern() = default;

void frmPatern::buildControls()
{
    auto* frame = new QGroupBox(QStringLiteral("Custom Rhythm Pattern"), this);
    auto* grid = new QGridLayout(frame);

    txtRit1 = new QComboBox(frame);
    txtRit1->setObjectName(QStringLiteral("txtRit1"));
    txtRit1->setEditable(true);
    // The name list stays index for index with the book: typing never adds to it, and no
    // completion turns a typed name into a stored one.
    txtRit1->setInsertPolicy(QComboBox::NoInsert);
    txtRit1->setCompleter(nullptr);
    m_names = new QStringListModel(txtRit1);
    txtRit1->setModel(m_names);
    // Sized by the field, not by measuring every name of a long book.
    txtRit1->setMinimumContentsLength(20);
    txtRit1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    grid->addWidget(new QLabel(QStringLiteral("Pattern Name:"), frame), 0, 0);
    grid->addWidget(txtRit1, 0, 1, 1, 2);

    Label7 = new QLabel(QStringLiteral("Pattern (Len: "), frame);
    Label7->setObjectName(QStringLiteral("Label7"));
    grid->addWidget(Label7, 1, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Start at:"), frame), 1, 2);

    txtRit = new QLineEdit(frame);
    txtRit->setObjectName(QStringLiteral("txtRit"));
    grid->addWidget(txtRit, 2, 0, 1, 2);
    txtBB = new QLineEdit(QStringLiteral("1"), frame);
    txtBB->setObjectName(QStringLiteral("txtBB"));
    txtBB->setMaximumWidth(60);
    grid->addWidget(txtBB, 2, 2);
    grid->setColumnStretch(1, 1);

    Command2 = dialogButton(*this, "Command2", QStringLiteral("Save"));
    Command1 = dialogButton(*this, "Command1", QStringLiteral("Remove"));
    cmdOk = dialogButton(*this, "cmdOk", QStringLiteral("OK"));
    cmdCancel = dialogButton(*this, "cmdCancel", QStringLiteral("Cancel"));
    frameAboveButtons(*this, frame, { Command2, Command1 }, { cmdOk, cmdCancel });

    setTabOrder(txtBB, txtRit);
    setTabOrder(txtRit, txtRit1);
    setTabOrder(txtRit1, cmdOk);
    setTabOrder(cmdOk, cmdCancel);
    setTabOrder(cmdCancel, Command1);
    setTabOrder(Command1, Command2);

    for (QObject* field : { static_cast<QObject*>(txtRit), static_cast<QObject*>(txtBB),
             static_cast<QObject*>(txtRit1->lineEdit()) })
        field->installEventFilter(this);
    Command1->installEventFilter(this);

    connect(txtRit, &QLineEdit::textChanged, this, [this] {
        txtRit_Change();
    });
    connect(txtBB, &QLineEdit::textChanged, this, [this] {
        txtBB_Change();
    });
    connect(txtRit1, &QComboBox::activated, this, [this](int index) {
        txtRit1_Click(index);
    });
    connect(cmdOk, &QPushButton::clicked, this, [this] {
        cmdOk_Click();
    });
    connect(cmdCancel, &QPushButton::clicked, this, [this] {
        reject();
    });
    connect(Command2, &QPushButton::clicked, this, [this] {
        Command2_Click();
    });
    connect(Command1, &QPushButton::clicked, this, [this] {
        Command1_Click();
    });
}

void frmPatern::showModal()
{
    exec();
}

bool frmPatern::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Command1) {
        // Remove greys out as the pointer comes over it while there is nothing to remove.
        if (event->type() == QEvent::Enter && m_book.size() == 0)
            Command1->setEnabled(false);
        return false;
    }
    if (enterRunsOk(*event, std::bind_front(&frmPatern::cmdOk_Click, this)))
        return true;
    return QDialog::eventFilter(watched, event);
}

void frmPatern::reject()
{
    // Cancel, Escape and the window's close button only hide the dialog.
    done(QDialog::Rejected);
}

void frmPatern::Form_Load()
{
    m_book.load();
    List1_Click(m_book.size() > 0 ? std::optional<qsizetype>(0) : std::nullopt);
    PuniFje();
    if (SelectedIndex)
        txtRit1->setCurrentIndex(static_cast<int>(*SelectedIndex));
    PodeliFje(SelectedIndex ? m_book.records()[*SelectedIndex] : QString());
}

void frmPatern::PuniFje()
{
    m_names->setStringList(m_book.names());
    txtRit1->setCurrentIndex(-1);
    txtRit1->clearEditText();
}

void frmPatern::PodeliFje(const QString& Record)
{
    const PatternRecord fields = PatternRecord::split(Record);
    txtRit1->setEditText(fields.name);
    txtRit->setText(fields.pattern);
    txtBB->setText(fields.start);
}

void frmPatern::List1_Click(std::optional<qsizetype> index)
{
    if (!index || *index < 0 || *index >= m_book.size()) {
        SelectedIndex.reset();
        return;
    }
    PodeliFje(m_book.records()[*index]);
    SelectedIndex = index;
}

void frmPatern::txtRit1_Click(int index)
{
    List1_Click(index);
    Command1->setEnabled(m_book.size() > 0);
}

void frmPatern::txtRit_Change()
{
    Label7->setText(QStringLiteral("Pattern (Len: ") + QString::number(txtRit->text().size())
        + QStringLiteral(")"));
}

void frmPatern::txtBB_Change()
{
    // One write: the clamp's own change must not clamp again.
    if (m_clampingStart)
        return;
    const QString clamped = clampedPatternStart(txtBB->text(), txtRit->text().size());
    if (clamped == txtBB->text())
        return;
    m_clampingStart = true;
    txtBB->setText(clamped);
    m_clampingStart = false;
}

void frmPatern::NormalizePatternInput()
{
    txtRit->setText(txtRit->text().toUpper());
    txtBB_Change();
}

void frmPatern::cmdOk_Click()
{
    if (txtRit->text().isEmpty() || txtBB->text().isEmpty()) {
        m_platform.boxes->msgBox(QStringLiteral("Check input for Pattern and Pattern Start."),
            MsgButtons::OK, MsgIcon::Critical);
        return;
    }
    NormalizePatternInput();
    m_metronome.BeatPattern = txtRit->text();
    m_metronome.setLblTempo(txtRit->text());
    m_metronome.PatternStart = txtBB->text();
    m_metronome.FlamencoMode = true;
    m_metronome.startFromDialog();
    done(QDialog::Accepted);
}

void frmPatern::Command2_Click()
{
    NormalizePatternInput();
    ProveriFje();
}

void frmPatern::ProveriFje()
{
    const PatternRecord edited { txtRit1->currentText(), txtRit->text(), txtBB->text() };
    if (edited.name.isEmpty() || edited.pattern.isEmpty() || edited.start.isEmpty()) {
        m_platform.boxes->msgBox(QStringLiteral("Some fields are empty."), MsgButtons::OK,
            MsgIcon::Critical, kInvalidInput);
        return;
    }
    if (!edited.readsBack()) {
        m_platform.boxes->msgBox(
            QStringLiteral("A name cannot hold \";\" or \"|\", and a pattern cannot hold \"|\": "
                           "the pattern file keeps the name, the pattern and the start apart "
                           "with them. Change them and save again."),
            MsgButtons::OK, MsgIcon::Critical, kInvalidInput);
        return;
    }
    txtBB_Change();
    const PatternRecord record { edited.name, edited.pattern, txtBB->text() };
    reloadBook();

    // Every name first: a pattern found earlier in the book must not let a name in twice.
    if (m_book.indexOfName(record.name)) {
        m_platform.boxes->msgBox(QStringLiteral("Pattern Name already in use. Remove pattern ")
                + record.name + QStringLiteral(" or change the name and try again."),
            MsgButtons::OK, MsgIcon::Information);
        return;
    }
    QString error;
    if (const auto same = m_book.indexOfPattern(record.pattern)) {
        if (m_platform.boxes->msgBox(QStringLiteral("Pattern already exists. Overwrite it?"),
                MsgButtons::OKCancel, MsgIcon::Information)
            != MsgResult::OK)
            return;
        if (!m_book.replace(*same, record, &error)) {
            tellWriteFailed(error);
            return;
        }
        showBookAt(*same);
        return;
    }
    if (!m_book.append(record, &error)) {
        tellWriteFailed(error);
        return;
    }
    showBookAt(m_book.size() - 1);
}

void frmPatern::Command1_Click()
{
    reloadBook();
    if (m_book.size() == 0 || !SelectedIndex)
        return;
    const qsizetype index = *SelectedIndex;
    if (m_platform.boxes->msgBox(QStringLiteral("Remove ") + m_book.record(index).name
                + QStringLiteral(" from the list?"),
            MsgButtons::OKCancel, MsgIcon::Information)
        != MsgResult::OK)
        return;
    QString error;
    if (!m_book.remove(index, &error)) {
        tellWriteFailed(error);
        return;
    }
    showBookAt(index);
}

void frmPatern::reloadBook()
{
    const QStringList shown = m_book.records();
    m_book.load();
    if (m_book.records() == shown)
        return;
    // The selection follows its record; one that is gone leaves nothing selected.
    std::optional<qsizetype> selected;
    if (SelectedIndex && *SelectedIndex < shown.size()) {
        const qsizetype at = m_book.records().indexOf(shown[*SelectedIndex]);
        if (at >= 0)
            selected = at;
    }
    SelectedIndex = selected;
    const QString name = txtRit1->currentText();
    m_names->setStringList(m_book.names());
    txtRit1->setCurrentIndex(selected ? static_cast<int>(*selected) : -1);
    txtRit1->setEditText(name);
}

void frmPatern::showBookAt(qsizetype index)
{
    PuniFje();
    if (m_book.size() == 0) {
        SelectedIndex.reset();
        return;
    }
    const qsizetype shown = std::min(index, m_book.size() - 1);
    txtRit1->setCurrentIndex(static_cast<int>(shown));
    List1_Click(shown);
    // Remove may have greyed out over an empty book: there is something to remove again.
    Command1->setEnabled(true);
}

void frmPatern::tellWriteFailed(const QString& reason)
{
    m_platform.boxes->msgBox(QStringLiteral("The patterns could not be saved to ")
            + m_book.writePath() + QStringLiteral(":\n") + reason
            + QStringLiteral("\n\nThe file is as it was before."),
        MsgButtons::OK, MsgIcon::Critical);
}
