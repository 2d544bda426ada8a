// Composes the main window from its skin pictures at their places, with the tempo dial itself and
// stand-ins for the other controls that draw themselves, and writes it as a PNG to look at:
//     skin_preview OUT.png [rest|accent|beat|start] [SCALE]
// "rest": stopped with a tempo set; "accent" and "beat": running, on an accented step and on a
// plain step; "start": just after start-up (no tempo, no play/stop button); "sheet": every picture
// but the background side by side on a mid grey.

#include "DialFixture.h"
#include "app/Skin.h"

#include <cmath>
#include <cstdio>
#include <string>

#include <QApplication>
#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

namespace {

void drawPicture(QPainter& painter, std::string_view control, std::string_view picture)
{
    painter.drawImage(skinPlace(control).topLeft(), renderSkinPicture(picture));
}

// The gradient button as it looks at rest: white to grey bands, caption on top.
void drawGradientButton(QPainter& painter,
    std::string_view control,
    const QString& caption,
    Qt::Alignment align,
    QColor ink,
    std::string_view glyph = {})
{
    const QRect r = skinPlace(control);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(255, 255, 255));
    g.setColorAt(1, QColor(128, 128, 128));
    painter.fillRect(r, g);
    if (!glyph.empty()) {
        drawPicture(painter, control, glyph);
        return;
    }
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSizeF(8.25);
    painter.setFont(font);
    painter.setPen(ink);
    painter.drawText(r.adjusted(1, 0, -2, 0), int(align), caption);
}

// The tempo dial itself, stored as the main window stores it, at its place and minute.
void drawDial(QPainter& painter, int minute)
{
    const QRect r = skinPlace("AnalogClock1");
    Dial dial(Dial::mainWindowBag(), r.size());
    dial.clock.setValue(timeOf(0, minute, 0));
    painter.drawImage(r.topLeft(), dial.clock.grab().toImage());
}

void drawLabel(QPainter& painter,
    std::string_view control,
    const QString& text,
    double pixelSize,
    bool bold,
    QColor ink,
    Qt::Alignment align)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(int(pixelSize));
    font.setBold(bold);
    painter.setFont(font);
    painter.setPen(ink);
    painter.drawText(skinPlace(control), int(align), text);
}

// The slider's own composition: mask colour everywhere, the track, the left part up to the
// pointer, the pointer; then every mask-coloured pixel is left out.
void drawSlider(QPainter& painter, int position)
{
    const QRect r = skinPlace("SliderPic1");
    QImage surface(r.size(), QImage::Format_ARGB32);
    surface.fill(QColor::fromRgb(kSkinMaskRgb));
    const int pointerLeft = position; // 0..100 over a 100-pixel track
    {
        QPainter p(&surface);
        p.drawImage(3, 6, renderSkinPicture("ImageSlider"));
        p.drawImage(QPoint(3, 6), renderSkinPicture("ImageLeft"), QRect(0, 0, pointerLeft, 4));
        const QImage pointer = renderSkinPicture("ImagePointer");
        for (int y = 0; y < pointer.height(); ++y) {
            for (int x = 0; x < pointer.width(); ++x) {
                if ((pointer.pixel(x, y) & 0xFFFFFF) != kSkinMaskRgb)
                    surface.setPixel(pointerLeft + x, y, pointer.pixel(x, y));
            }
        }
    }
    for (int y = 0; y < surface.height(); ++y) {
        for (int x = 0; x < surface.width(); ++x) {
            if ((surface.pixel(x, y) & 0xFFFFFF) == kSkinMaskRgb)
                surface.setPixel(x, y, qRgba(0, 0, 0, 0));
        }
    }
    painter.drawImage(r.topLeft(), surface);
}

// Every small picture in a row on a mid grey, to look at their pixels.
QImage pictureSheet()
{
    QImage sheet(4 + (kSkinPictures.size() - 1) * 36, 40, QImage::Format_ARGB32);
    sheet.fill(QColor(90, 90, 90));
    QPainter painter(&sheet);
    int x = 4;
    for (const auto& picture : kSkinPictures) {
        if (picture.name == "Picture1")
            continue;
        const QImage image = renderSkinPicture(picture.name);
        painter.drawImage(x, 4, image.width() > 32 ? image.copy(0, 0, 32, image.height()) : image);
        x += 36;
    }
    return sheet;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: skin_preview OUT.png [rest|accent|beat|start] [SCALE]\n");
        return 2;
    }
    const std::string state = argc > 2 ? argv[2] : "accent";
    const int scale = argc > 3 ? std::max(1, std::atoi(argv[3])) : 1;

    if (state == "sheet") {
        const QImage sheet = pictureSheet();
        return sheet.scaled(sheet.size() * scale).save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
    }

    QImage window(skinPlace("Picture1").size(), QImage::Format_ARGB32);
    QPainter painter(&window);
    drawPicture(painter, "Picture1", "Picture1");

    const QColor amber(255, 180, 70);
    if (state != "start") {
        drawLabel(painter, "Text2", QStringLiteral(" 120"), 18, true, amber,
            Qt::AlignLeft | Qt::AlignVCenter);
        drawLabel(painter, "lblcd", QStringLiteral("MM"), 10, true, QColor(255, 150, 40),
            Qt::AlignRight | Qt::AlignVCenter);
        drawLabel(painter, "lblTempo", QStringLiteral("Allegretto  on  4"), 11, false, amber,
            Qt::AlignLeft | Qt::AlignVCenter);
    } else {
        drawLabel(painter, "lblcd", QStringLiteral("PITCH"), 10, true, QColor(255, 150, 40),
            Qt::AlignRight | Qt::AlignVCenter);
    }

    const auto top = Qt::AlignTop | Qt::AlignHCenter;
    drawGradientButton(
        painter, "GGCommand1", QStringLiteral("Pitch"), Qt::AlignTop | Qt::AlignRight, Qt::black);
    drawGradientButton(painter, "GGCommand2", QStringLiteral("Beat"), top, Qt::black);
    drawGradientButton(painter, "GGCommand3", QStringLiteral("Misc"), top, Qt::black);
    drawGradientButton(painter, "GGCommand4", QStringLiteral("Poly"), top, Qt::black);
    drawGradientButton(painter, "GGCommand5", QStringLiteral("Rec"), top, QColor(192, 0, 0));
    drawGradientButton(painter, "GGCommand6", QStringLiteral("MP3"), top, Qt::black);
    drawGradientButton(painter, "GGCommand8", {}, Qt::AlignCenter, Qt::black, "minimize");
    drawGradientButton(painter, "GGCommand7", {}, Qt::AlignCenter, Qt::black, "close");
    drawPicture(painter, "imKlavir", "Image24");

    const bool running = state == "accent" || state == "beat";
    if (state != "start")
        drawPicture(painter, "imstop", running ? "stopg" : "playg");
    if (state == "accent")
        drawPicture(painter, "Image5", "Image1");
    else if (state != "beat")
        drawPicture(painter, "Image5", "Image2");
    if (state == "beat")
        drawPicture(painter, "imz", "Image3");

    drawPicture(painter, "Image10", "cg");
    drawPicture(painter, "Image11", state == "start" ? "og" : "ob");
    drawPicture(painter, "Image12", state == "beat" ? "sd" : "sg");
    if (state == "start")
        drawPicture(painter, "Image10", "cb");

    drawSlider(painter, 72);
    drawDial(painter, state == "start" ? 0 : 40);
    painter.end();

    const QImage out = scale == 1
        ? window
        : window.scaled(window.size() * scale, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    if (!out.save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
