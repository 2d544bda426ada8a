#include "frmID3.h"

#include "ID3tag.h"
#include "platform/basic/Conversions.h"
#include "platform/shell/ShellHelpers.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kNoGenre = 255;

QLineEdit* box(QWidget* parent, const char* name, int width)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    // Twips at 96 pixels per inch.
    edit->setFixedWidth(width / 15);
    return edit;
}

// A whole number from a box: "" or a text that is not one number, or one beyond 16 bits, is 0.
std::int16_t wholeNumber(const QString& text)
{
    return CInt(text).value_or(0);
}

} // namespace

frmID3::frmID3(MessageBoxService& boxes, ID3tag& pending, QString outputFile, QWidget* owner)
    : QDialog(owner)
    , m_pending(pending)
    , m_outputFile(std::move(outputFile))
    , m_Mp3Tag(boxes)
{
    setObjectName(QStringLiteral("frmID3"));
    setWindowTitle(QStringLiteral("Edit ID3v1 Tag"));
    buildControls();
    FillGenres();
    cmbGenre->setCurrentIndex(0);
    ShowTags();
}

frmID3::~frmID3() = default;

void frmID3::buildControls()
{
    auto* frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto* grid = new QGridLayout(frame);
    txtTrackNo = box(frame, "txtTrackNo", 375);
    txtTitle = box(frame, "txtTitle", 4515);
    txtAlbum = box(frame, "txtAlbum", 4515);
    txtArtist = box(frame, "txtArtist", 4515);
    txtComments = box(frame, "txtComments", 4515);
    txtYear = box(frame, "txtYear", 795);
    cmbGenre = new QComboBox(frame);
    cmbGenre->setObjectName(QStringLiteral("cmbGenre"));
    cmbGenre->setEditable(true);
    cmbGenre->setInsertPolicy(QComboBox::NoInsert);
    cmbGenre->setFixedWidth(1695 / 15);
    const std::pair<const char*, QLineEdit*> rows[] = { { "Track #:", txtTrackNo },
        { "Title:", txtTitle }, { "Album:", txtAlbum }, { "Artist:", txtArtist },
        { "Comments:", txtComments } };
    int row = 0;
    for (const auto& [label, edit] : rows) {
        grid->addWidget(new QLabel(QLatin1String(label), frame), row, 0);
        grid->addWidget(edit, row++, 1, Qt::AlignLeft);
    }
    // The genre stands on the year's row.
    grid->addWidget(new QLabel(QStringLiteral("Year:"), frame), row, 0);
    auto* yearRow = new QHBoxLayout;
    yearRow->addWidget(txtYear);
    yearRow->addSpacing(20);
    yearRow->addWidget(new QLabel(QStringLiteral("Genre:"), frame));
    yearRow->addWidget(cmbGenre);
    yearRow->addStretch();
    grid->addLayout(yearRow, row, 1);

    cmdOk = new QPushButton(QStringLiteral("OK"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    Command1 = new QPushButton(QStringLiteral("Cancel"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOk);
    buttons->addWidget(Command1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    const QWidget* order[] = { txtTrackNo, txtTitle, txtAlbum, txtArtist, txtComments, txtYear,
        cmbGenre, cmdOk, Command1 };
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(const_cast<QWidget*>(order[i - 1]), const_cast<QWidget*>(order[i]));

    connect(cmdOk, &QPushButton::clicked, this, [this] {
        cmdOk_Click();
    });
    connect(Command1, &QPushButton::clicked, this, &QDialog::reject);
}

void frmID3::FillGenres()
{
    cmbGenre->addItem(QString(), kNoGenre);
    for (int n = 0; n <= 255; ++n) {
        const QString name = cMP3ID3v1::GenreName(static_cast<std::uint8_t>(n));
        if (!name.isEmpty())
            cmbGenre->addItem(name, n);
    }
}

// A text box shows a field up to its first zero byte.
static QString shown(const QString& field)
{
    const qsizetype zero = field.indexOf(QChar(0));
    return zero < 0 ? field : field.left(zero);
}

void frmID3::ShowTags()
{
    if (m_outputFile.isEmpty())
        return;
    m_Mp3Tag.setMP3File(m_outputFile);
    txtArtist->setText(shown(m_Mp3Tag.Artist()));
    txtTitle->setText(shown(m_Mp3Tag.Title()));
    txtAlbum->setText(shown(m_Mp3Tag.Album()));
    const QString genre = cMP3ID3v1::GenreName(m_Mp3Tag.Genre());
    if (genre.isEmpty())
        cmbGenre->setCurrentIndex(0);
    else
        cmbGenre->setCurrentIndex(cmbGenre->findText(genre, Qt::MatchExactly));
    txtYear->setText(shown(m_Mp3Tag.Year()));
    txtComments->setText(shown(m_Mp3Tag.Comment()));
    txtTrackNo->setText(QString::number(m_Mp3Tag.Track()));
}

int frmID3::genreEntry() const
{
    const QString text = cmbGenre->currentText();
    if (text.isEmpty())
        return 0;
    const int found = cmbGenre->findText(text, Qt::MatchExactly);
    return found < 0 ? 0 : found;
}

void frmID3::cmdOk_Click()
{
    m_pending.setArtist(txtArtist->text());
    m_pending.setAlbum(txtAlbum->text());
    m_pending.setName(txtTitle->text());
    m_pending.setYear(wholeNumber(txtYear->text()));
    m_pending.setComment(txtComments->text());
    // Genre numbers come from the list and always fit.
    (void)m_pending.setGenre(cmbGenre->itemData(genreEntry()).toInt());
    m_pending.setSongNumber(wholeNumber(txtTrackNo->text()));
    if (!m_outputFile.isEmpty() && CheckFileExists(m_outputFile))
        WriteTags();
    accept();
}

void frmID3::WriteTags()
{
    cmbGenre->setCurrentIndex(genreEntry());
    // Bound here, just before the write, so that only the current output file is written.
    m_Mp3Tag.setMP3File(m_outputFile);
    m_Mp3Tag.setArtist(txtArtist->text());
    m_Mp3Tag.setTitle(txtTitle->text());
    m_Mp3Tag.setAlbum(txtAlbum->text());
    m_Mp3Tag.setYear(txtYear->text());
    m_Mp3Tag.setComment(txtComments->text());
    m_Mp3Tag.setGenre(static_cast<std::uint8_t>(cmbGenre->currentData().toInt()));
    const std::int16_t track = wholeNumber(txtTrackNo->text());
    m_Mp3Tag.setTrack(track >= 0 && track <= 255 ? static_cast<std::uint8_t>(track) : 0);
    m_Mp3Tag.Update();
}

QString frmID3::showMp3TagsSB1(MessageBoxService& boxes, const QString& outputFile)
{
    if (outputFile.isEmpty())
        return QString();
    cMP3ID3v1 tag(boxes);
    tag.setMP3File(outputFile);
    return QStringLiteral("Artist: ") + tag.Artist() + u' ';
}
