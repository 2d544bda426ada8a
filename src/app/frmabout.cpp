#include "app/frmabout.h"

#include "app/KadentorVersion.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>

namespace {

// The border is drawn one pixel wide around the box's inside.
constexpr int kBorder = 1;
constexpr int kInsideWidth = 281;
constexpr int kInsideHeight = 150;
const QColor kBackground(224, 224, 224);
const QColor kInk(0, 0, 128);
const QColor kBorderColor(64, 64, 64);
const QColor kLineColor(128, 128, 128);

// A place given in twips, in pixels inside the border.
QRect twips(int left, int top, int width, int height)
{
    return QRect(kBorder + left / 15, kBorder + top / 15, width / 15, height / 15);
}

QLabel* label(QWidget* parent, const char* name, const QString& caption, const QRect& place)
{
    auto* shown = new QLabel(caption, parent);
    shown->setObjectName(QString::fromLatin1(name));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPointSizeF(14.25);
    shown->setFont(font);
    QPalette palette = shown->palette();
    palette.setColor(QPalette::WindowText, kInk);
    shown->setPalette(palette);
    shown->setTextFormat(Qt::PlainText);
    shown->setGeometry(place);
    return shown;
}

} // namespace

QString aboutVersionText(int major, int minor, int revision)
{
    return QStringLiteral("ver. %1 . %2 . %3").arg(major).arg(minor).arg(revision);
}

frmabout::frmabout()
    : QDialog(nullptr, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmabout"));
    setFixedSize(kInsideWidth + 2 * kBorder, kInsideHeight + 2 * kBorder);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kBackground);
    setPalette(palette);
    setAutoFillBackground(true);
    buildControls();
    Form_Load();
}

frmabout::~frmabout() = default;

void frmabout::buildControls()
{
    Label1 = label(this, "Label1", QStringLiteral("Kadentor"), twips(285, 330, 2460, 345));
    Label2 = label(this, "Label2", QStringLiteral("ver. "), twips(285, 795, 3000, 345));
    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(twips(3450, 300, 720, 720));
    Picture1->setFocusPolicy(Qt::StrongFocus);
    QImage picture(48, 48, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    QSvgRenderer(QStringLiteral(":/about/Picture1.svg")).render(&painter);
    painter.end();
    Picture1->setPixmap(QPixmap::fromImage(picture));
    Picture1->setAlignment(Qt::AlignCenter);
}

void frmabout::Form_Load()
{
    Label2->setText(aboutVersionText(kVersionMajor, kVersionMinor, kVersionRevision));
}

void frmabout::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

void frmabout::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    painter.setPen(kBorderColor);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    // Line1, from (210, 1485) to (4005, 1485) twips.
    painter.setPen(kLineColor);
    painter.drawLine(
        kBorder + 210 / 15, kBorder + 1485 / 15, kBorder + 4005 / 15, kBorder + 1485 / 15);
}

void frmabout::mouseReleaseEvent(QMouseEvent* event)
{
    // The labels and the picture pass their clicks on to the box.
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        accept();
}

void frmabout::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        reject();
    // No other key does anything: not even Enter, which would press a dialog's default button.
}
