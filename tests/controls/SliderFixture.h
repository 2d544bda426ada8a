#pragma once

#include "BagOf.h"
#include "controls/DrawSurface.h"
#include "controls/PropertyBag.h"
#include "controls/SliderPic.h"

#include <utility>
#include <vector>

#include <QMouseEvent>
#include <QTest>
#include <QWidget>

// Test pictures of the shipped sizes, each with colours of its own (&H00BBGGRR):
// - track 100 x 4 in kTrack;
// - left part 100 x 4 whose column i has red i, green 200 (so a column shows where it was cut);
// - pointer 6 x 15 in kPointer with its four corners in the mask colour.
inline constexpr OleColor kMask = 0xC0C0C0;
inline constexpr OleColor kTrack = rgbColor(10, 20, 30);
inline constexpr OleColor kPointer = rgbColor(250, 240, 230);

inline OleColor leftColumn(int i)
{
    return rgbColor(i, 200, 0);
}

inline QImage filledPicture(int width, int height, OleColor colour)
{
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(toQColor(colour));
    return picture;
}

inline QImage leftPicture()
{
    QImage picture(100, 4, QImage::Format_RGB32);
    for (int x = 0; x < 100; ++x)
        for (int y = 0; y < 4; ++y)
            picture.setPixel(x, y, toQColor(leftColumn(x)).rgb());
    return picture;
}

inline QImage pointerPicture()
{
    QImage picture = filledPicture(6, 15, kPointer);
    for (const QPoint corner : { QPoint(0, 0), QPoint(5, 0), QPoint(0, 14), QPoint(5, 14) })
        picture.setPixel(corner, toQColor(kMask).rgb());
    return picture;
}

// The window behind the slider: counts the presses that reach it.
class Background : public QWidget
{
public:
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
};

// A slider as the main window stores its volume slider (0..100, see-through), at its place on
// the window, shown; records every PositionChanged with CurPosition as a handler reads it.
struct Slider
{
    static PropertyBag volumeBag()
    {
        return bagOf({ { "Max", 100 }, { "ImageSlider", filledPicture(100, 4, kTrack) },
            { "ImageLeft", leftPicture() }, { "ImagePointer", pointerPicture() },
            { "BackStyle", 0 } });
    }

    struct Report
    {
        int oldPosition;
        int newPosition;
        int curPositionInside;
    };

    Background window;
    SliderPic* slider = nullptr;
    DrawSurface* surface = nullptr;
    std::vector<Report> reports;
    QStringList keys;

    explicit Slider(const PropertyBag& bag = volumeBag())
    {
        window.resize(236, 423);
        slider = new SliderPic(&window);
        slider->load(bag);
        slider->setGeometry(60, 196, 106, 15);
        window.show();
        surface = slider->findChild<DrawSurface*>();
        QObject::connect(slider, &SliderPic::PositionChanged,
            [this](std::int32_t& oldPosition, std::int32_t& newPosition) {
                reports.push_back({ oldPosition, newPosition, slider->CurPosition() });
            });
        QObject::connect(slider, &CustomControl::propertyChanged, [this](const QString& key) {
            keys << key;
        });
    }

    OleColor pixel(int x, int y) const { return fromQColor(QColor(slider->picture().pixel(x, y))); }

    void press(int x, int y = 7) { QTest::mousePress(surface, Qt::LeftButton, {}, QPoint(x, y)); }

    void move(int x, int y = 7) { QTest::mouseMove(surface, QPoint(x, y)); }

    void release(int x, int y = 7)
    {
        QTest::mouseRelease(surface, Qt::LeftButton, {}, QPoint(x, y));
    }

    // A left click at a point of the window, found the way a real click is: through the
    // window, so that a see-through pixel of the slider lets it pass to the background.
    void clickWindowAt(QPoint inSlider)
    {
        const QPoint p = slider->mapTo(&window, inSlider);
        QTest::mousePress(window.windowHandle(), Qt::LeftButton, {}, p);
        QTest::mouseRelease(window.windowHandle(), Qt::LeftButton, {}, p);
    }
};
