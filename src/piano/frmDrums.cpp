#include "piano/frmDrums.h"

#include "controls/ControlFonts.h"
#include "controls/GGCommand.h"
#include "piano/PianoPictures.h"
#include "piano/frmMidiPiano.h"
#include "platform/shell/ShellHelpers.h"
#include "windows/PopupMenus.h"

#include <QCursor>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

namespace {

constexpr QSize kWindowSize(300, 236);
constexpr int kCorner = 10;
constexpr int kPicture = 48;

// A drum picture: a press selects its pad.
class DrumPicture : public QLabel
{
public:
    DrumPicture(QWidget* parent, std::function<void()> pressed)
        : QLabel(parent)
        , m_pressed(std::move(pressed))
    {}

protected:
    void mousePressEvent(QMouseEvent*) override { m_pressed(); }

private:
    std::function<void()> m_pressed;
};

} // namespace

frmDrums::frmDrums(frmMidiPiano& piano, PopupMenus& menus, MessageBoxService& boxes)
    : QWidget(&piano, Qt::Tool | Qt::FramelessWindowHint)
    , m_piano(piano)
    , m_menus(menus)
{
    setWindowTitle(QStringLiteral("Drum"));
    setFixedSize(kWindowSize);
    setFocusPolicy(Qt::NoFocus);
    setMask(roundedMask(size(), kCorner));
    SetAlwaysOnTop(this, boxes);

    auto* label1 = new QLabel(QStringLiteral("Click to assign Drum Keys"), this);
    label1->setGeometry(16, 10, 240, 18);
    label1->setFont(controlFont(QStringLiteral("Arial"), 9));
    label1->setStyleSheet(QStringLiteral("color: #e0e8ff; background: transparent;"));

    for (int i = 0; i < 12; ++i) {
        auto* picture = new DrumPicture(this, [this, i] {
            lblDrums_Click(i);
        });
        picture->setGeometry(24 + (i % 4) * 66, 40 + (i / 4) * 64, kPicture, kPicture);
        picture->setPixmap(QPixmap::fromImage(pianoPicture(QStringLiteral("drum%1").arg(i))));
        m_lblDrums[i] = picture;
    }

    m_close = makePianoButton(this, { 268, 8, 22, 22 }, QStringLiteral("r"),
        QStringLiteral(" Close "), QStringLiteral("glyph_close"));
    // The drum window never keeps the keyboard: once it has been used, the keys play the piano.
    connect(m_close, &GGCommand::Click, this, [this] {
        m_piano.focusPicPozadina();
        deleteLater();
    });
}

void frmDrums::lblDrums_Click(int Index)
{
    m_piano.core().Drum2(Index);
    // The drum window goes with the piano, which the closing uses: the piano owns the call.
    m_menus.popup(u"mnuMain", 1, QCursor::pos(), m_piano, [&piano = m_piano] {
        piano.focusPicPozadina();
    });
}

void frmDrums::paintEvent(QPaintEvent*)
{
    static const QImage background = pianoPicture(QStringLiteral("drums_background"));
    QPainter(this).drawImage(rect(), background);
}

void frmDrums::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && windowHandle())
        windowHandle()->startSystemMove();
}
