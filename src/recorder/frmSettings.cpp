#include "recorder/frmSettings.h"

#include "platform/Platform.h"
#include "recorder/WindowPlacement.h"
#include "recorder/modrec.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

frmSettings::frmSettings(Platform& platform,
    modrec& rec,
    std::function<void()> enableRecord,
    std::function<void()> podaci)
    : QDialog(nullptr,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
            | Qt::MSWindowsFixedSizeDialogHint)
    , m_platform(platform)
    , m_rec(rec)
    , m_enableRecord(std::move(enableRecord))
    , m_podaci(std::move(podaci))
{
    buildControls();
    Form_Load();
}

frmSettings::~frmSettings() = default;

void frmSettings::buildControls()
{
    setWindowTitle(QStringLiteral("Recording Settings"));
    setFixedSize(4290 / 15, 1905 / 15);
    auto frame = [this](const QString& caption, QRect at) {
        auto* box = new QGroupBox(caption, this);
        box->setGeometry(at);
        return box;
    };
    auto option = [](QWidget* parent, const char* name, const QString& caption, int row) {
        auto* button = new QRadioButton(caption, parent);
        button->setObjectName(QLatin1String(name));
        button->setGeometry(10, 20 + row * 22, 90, 20);
        return button;
    };
    QGroupBox* Frame1 = frame(QStringLiteral("Sample rate (Hz)"), twips(120, 60, 1575, 1275));
    optRate44100 = option(Frame1, "optRate44100", QStringLiteral("44100"), 0);
    optRate22050 = option(Frame1, "optRate22050", QStringLiteral("22050"), 1);
    optRate11025 = option(Frame1, "optRate11025", QStringLiteral("11025"), 2);
    QGroupBox* Frame2 = frame(QStringLiteral("Channels"), twips(1800, 60, 1125, 1275));
    optStereo = option(Frame2, "optStereo", QStringLiteral("&Stereo"), 0);
    optMono = option(Frame2, "optMono", QStringLiteral("&Mono"), 1);
    QGroupBox* Frame3 = frame(QStringLiteral("Resolution"), twips(3000, 60, 1155, 1275));
    opt8bits = option(Frame3, "opt8bits", QStringLiteral("&8 bits"), 0);
    opt16bits = option(Frame3, "opt16bits", QStringLiteral("&16 bits"), 1);
    // The dialog's own group, never shown.
    optRate8000 = option(this, "optRate8000", QStringLiteral("8000"), 0);
    optRate6000 = option(this, "optRate6000", QStringLiteral("6000"), 1);
    optRecordImmediate = option(this, "optRecordImmediate", QStringLiteral("Manual recording"), 2);
    auto* hidden = new QButtonGroup(this);
    for (QRadioButton* button : { optRate8000, optRate6000, optRecordImmediate }) {
        hidden->addButton(button);
        button->hide();
    }
    // Selected from the design on, before any handler is connected.
    optRecordImmediate->setChecked(true);

    cmdOke = new QPushButton(QStringLiteral("OK"), this);
    cmdOke->setObjectName(QStringLiteral("cmdOke"));
    cmdOke->setGeometry(twips(1680, 1440, 1140, 315));
    cmdOke->setDefault(true);
    Command1 = new QPushButton(QStringLiteral("Cancel"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(twips(3000, 1440, 1140, 315));
    connect(cmdOke, &QPushButton::clicked, this, [this] {
        cmdOke_Click();
    });
    connect(Command1, &QPushButton::clicked, this, [this] {
        Command1_Click();
    });

    auto rate = [this](std::int32_t value) {
        return [this, value] {
            m_rec.RecordRate = value;
        };
    };
    onSelect(optRate44100, rate(44100));
    onSelect(optRate22050, rate(22050));
    onSelect(optRate11025, rate(11025));
    onSelect(optRate8000, rate(8000));
    onSelect(optRate6000, rate(6000));
    onSelect(optStereo, [this] {
        m_rec.RecordChannels = 2;
    });
    onSelect(optMono, [this] {
        m_rec.RecordChannels = 1;
    });
    onSelect(opt8bits, [this] {
        m_rec.RecordBits = 8;
    });
    onSelect(opt16bits, [this] {
        m_rec.RecordBits = 16;
    });
    onSelect(optRecordImmediate, [this] {
        if (m_enableRecord)
            m_enableRecord();
    });
    centreOnScreen(*this);
}

void frmSettings::onSelect(QRadioButton* option, std::function<void()> handler)
{
    // A selection made in code or by a click runs the handler only as the option becomes
    // selected.
    connect(option, &QRadioButton::toggled, this, [handler = std::move(handler)](bool on) {
        if (on)
            handler();
    });
}

void frmSettings::select(QRadioButton* option)
{
    option->setChecked(true);
}

void frmSettings::Form_Load()
{
    m_rec.readFormat(*m_platform.settings);
    const std::pair<std::int32_t, QRadioButton*> rates[] = { { 44100, optRate44100 },
        { 22050, optRate22050 }, { 11025, optRate11025 }, { 8000, optRate8000 },
        { 6000, optRate6000 } };
    for (const auto& [value, option] : rates)
        if (m_rec.RecordRate == value)
            select(option);
    if (m_rec.RecordChannels == 1)
        select(optMono);
    else if (m_rec.RecordChannels == 2)
        select(optStereo);
    if (m_rec.RecordBits == 8)
        select(opt8bits);
    else if (m_rec.RecordBits == 16)
        select(opt16bits);
    select(optRecordImmediate);
}

void frmSettings::showModal()
{
    frmSettings& dialog = instance();
    dialog.m_shownRate = dialog.m_rec.RecordRate;
    dialog.m_shownChannels = dialog.m_rec.RecordChannels;
    dialog.m_shownBits = dialog.m_rec.RecordBits;
    dialog.m_unloadAsked = false;
    dialog.exec();
    if (isLoaded() && instance().m_unloadAsked)
        unload();
}

void frmSettings::cmdOke_Click()
{
    m_rec.writeFormat(*m_platform.settings);
    if (m_podaci)
        m_podaci();
    m_unloadAsked = true;
    accept();
}

void frmSettings::Command1_Click()
{
    m_rec.RecordRate = m_shownRate;
    m_rec.RecordChannels = m_shownChannels;
    m_rec.RecordBits = m_shownBits;
    m_unloadAsked = true;
    QDialog::reject();
}

void frmSettings::reject()
{
    Command1_Click();
}
