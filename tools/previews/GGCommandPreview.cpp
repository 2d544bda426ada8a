// Renders gradient buttons and their tips to look at (run by hand, not a test):
//     ggcommand_preview OUT_FOLDER
// writes OUT_FOLDER/ggcommand-main.png (the main window's eight buttons as it stores them: at
// rest, under the pointer, pressed; six times enlarged) and OUT_FOLDER/ggcommand-tips.png (a
// balloon tip with title and icon, and a rectangular one).

#include "controls/BalloonTip.h"
#include "controls/ControlFonts.h"
#include "controls/DrawSurface.h"
#include "controls/GGCommand.h"
#include "controls/PropertyBag.h"

#include <cstdio>

#include <QApplication>
#include <QCursor>
#include <QPainter>
#include <QSvgRenderer>
#include <QTest>

namespace {

struct MainButton
{
    const char* name;
    QSize size;
    const char* caption;
    int alignment;
    const char* glyph;
};

// Twips / 15; the captions and alignments the main window stores.
const MainButton kButtons[] = {
    { "GGCommand1", { 28, 15 }, "Pitch", 6, nullptr },
    { "GGCommand2", { 28, 15 }, "Beat", 3, nullptr },
    { "GGCommand3", { 28, 15 }, "Misc", 3, nullptr },
    { "GGCommand4", { 28, 15 }, "Poly", 3, nullptr },
    { "GGCommand5", { 28, 15 }, "Rec", 4, nullptr },
    { "GGCommand6", { 28, 15 }, "MP3", 3, nullptr },
    { "GGCommand7", { 13, 13 }, "r", 4, "close" },
    { "GGCommand8", { 13, 13 }, "0", 4, "minimize" },
};

PropertyBag storedBag(const MainButton& b)
{
    const QString name = QString::fromLatin1(b.name);
    PropertyBag bag;
    bag.set(QStringLiteral("Caption"), QString::fromLatin1(b.caption));
    bag.set(QStringLiteral("GradientToColor"), 0x808080);
    bag.set(QStringLiteral("FontColorOnHover"), 0xFFFFFF);
    if (b.alignment != 4)
        bag.set(QStringLiteral("CaptionAlignment"), b.alignment);
    if (name == QStringLiteral("GGCommand5"))
        bag.set(QStringLiteral("ForeColor"), 0x0000C0);
    if (b.glyph) {
        bag.set(QStringLiteral("BackColor"), 0xE0E0E0);
        const bool close = name == QStringLiteral("GGCommand7");
        bag.set(QStringLiteral("ToolTip"),
            close ? QStringLiteral(" Close ") : QStringLiteral(" Minimize "));
        bag.set(QStringLiteral("Font"),
            QVariant::fromValue(controlFont(QStringLiteral("Webdings"), close ? 8.25 : 9.75)));
    } else {
        bag.set(QStringLiteral("Font"),
            QVariant::fromValue(controlFont(QStringLiteral("Arial"), 8.25)));
    }
    return bag;
}

QImage glyph(const char* name)
{
    QSvgRenderer svg(QStringLiteral(KADENTOR_SKIN_DIR "/%1.svg").arg(QString::fromLatin1(name)));
    QImage image(svg.defaultSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    svg.render(&painter);
    return image;
}

// The three looks of one button: at rest, under the pointer, pressed.
std::array<QImage, 3> looks(const MainButton& b)
{
    QWidget window;
    window.resize(80, 40);
    window.move(100, 100);
    auto* gg = new GGCommand(&window);
    gg->setObjectName(QString::fromLatin1(b.name));
    gg->setGeometry(QRect(QPoint(10, 10), b.size));
    gg->load(storedBag(b));
    if (b.glyph)
        gg->setCaptionGlyph(glyph(b.glyph));
    QCursor::setPos(0, 0);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        std::fprintf(stderr, "window not exposed\n");
    auto* face = gg->findChild<DrawSurface*>();
    // The window gave the button the focus; a click elsewhere takes it back, as on the skin.
    window.setFocus();
    std::array<QImage, 3> shots;
    shots[0] = gg->grab().toImage();
    QTest::mouseMove(face, QPoint(2, 2));
    shots[1] = gg->grab().toImage();
    QTest::mousePress(face, Qt::LeftButton, {}, QPoint(2, 2));
    shots[2] = gg->grab().toImage();
    QTest::mouseRelease(face, Qt::LeftButton, {}, QPoint(2, 2));
    return shots;
}

void mainSheet(const QString& path)
{
    constexpr int kZoom = 6;
    constexpr int kCell = 30 * kZoom;
    QImage sheet(3 * kCell + 40, 8 * (17 * kZoom) + 20, QImage::Format_RGB32);
    sheet.fill(QColor(60, 60, 60));
    QPainter painter(&sheet);
    int y = 10;
    for (const MainButton& b : kButtons) {
        const auto shots = looks(b);
        for (int i = 0; i < 3; ++i) {
            const QImage big = shots[static_cast<std::size_t>(i)].scaled(
                shots[static_cast<std::size_t>(i)].size() * kZoom, Qt::IgnoreAspectRatio,
                Qt::FastTransformation);
            painter.drawImage(10 + i * (kCell + 10), y, big);
        }
        y += 17 * kZoom;
    }
    painter.end();
    sheet.save(path);
}

QImage tipShot(int style, int icon, const QString& title, const QString& text)
{
    QWidget window;
    window.resize(120, 60);
    window.move(100, 100);
    auto* gg = new GGCommand(&window);
    gg->setObjectName(QStringLiteral("GGCommand7"));
    gg->setGeometry(QRect(QPoint(10, 10), QSize(28, 15)));
    PropertyBag bag;
    bag.set(QStringLiteral("ToolTip"), text);
    bag.set(QStringLiteral("ToolTipStyle"), style);
    bag.set(QStringLiteral("ToolTipIcon"), icon);
    bag.set(QStringLiteral("ToolTipTitle"), title);
    gg->load(bag);
    QCursor::setPos(0, 0);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        std::fprintf(stderr, "window not exposed\n");
    auto* face = gg->findChild<DrawSurface*>();
    QTest::mouseMove(face, QPoint(5, 5));
    // The real delay, on the real timer.
    QTest::qWait(BalloonTip::kInitialDelayMs + 200);
    auto* tip = face->findChild<BalloonTip*>();
    if (!tip || !tip->isVisible()) {
        std::fprintf(stderr, "no tip shown\n");
        return {};
    }
    QImage shot(tip->size(), QImage::Format_RGB32);
    shot.fill(QColor(90, 120, 90));
    QPainter painter(&shot);
    if (!tip->mask().isEmpty())
        painter.setClipRegion(tip->mask());
    painter.drawImage(0, 0, tip->grab().toImage());
    return shot;
}

void tipSheet(const QString& path)
{
    const QImage balloon =
        tipShot(1, 1, QStringLiteral("Kadentor"), QStringLiteral("Select Instrument"));
    const QImage plain = tipShot(0, 0, QString(), QStringLiteral(" Close "));
    constexpr int kZoom = 3;
    QImage sheet(balloon.width() * kZoom + plain.width() * kZoom + 30,
        std::max(balloon.height(), plain.height()) * kZoom + 20, QImage::Format_RGB32);
    sheet.fill(QColor(90, 120, 90));
    QPainter painter(&sheet);
    painter.drawImage(10, 10,
        balloon.scaled(balloon.size() * kZoom, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    painter.drawImage(20 + balloon.width() * kZoom, 10,
        plain.scaled(plain.size() * kZoom, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    painter.end();
    sheet.save(path);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: ggcommand_preview OUT_FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    mainSheet(folder + QStringLiteral("/ggcommand-main.png"));
    tipSheet(folder + QStringLiteral("/ggcommand-tips.png"));
    return 0;
}
