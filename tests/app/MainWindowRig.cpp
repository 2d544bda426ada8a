#include "MainWindowRig.h"

#include "controls/AnalogClock.h"
#include "controls/DrawSurface.h"
#include "controls/SliderPic.h"
#include "platform/settings/SettingsStore.h"

#include <cmath>
#include <numbers>

#include <QApplication>
#include <QKeyEvent>
#include <QTest>

MainWindowRig::MainWindowRig(const std::vector<std::pair<QString, QString>>& settings)
{
    for (const auto& [name, text] : settings)
        fake.platform.settings->SaveRegValue(
            QStringLiteral("Taktovia"), QStringLiteral("Gitara"), name, text);
}

MainWindowRig::~MainWindowRig()
{
    frmMtroNew::unload();
}

bool MainWindowRig::start()
{
    m_window = frmMtroNew::load(fake.platform, &player, &windows);
    if (!m_window)
        return false;
    m_window->show();
    return true;
}

AnalogClock& MainWindowRig::dial() const
{
    return *control<AnalogClock>("AnalogClock1");
}

SliderPic& MainWindowRig::slider() const
{
    return *control<SliderPic>("SliderPic1");
}

QPoint MainWindowRig::dialPointAt(double minute) const
{
    const DialGeometry g = dial().geometry();
    const double radius = g.faceRadius * 0.6;
    const double angle = (90 - minute * 6) * std::numbers::pi / 180;
    return QPoint(static_cast<int>(std::lround(g.centreX + radius * std::cos(angle))),
        static_cast<int>(std::lround(g.centreY - radius * std::sin(angle))));
}

void MainWindowRig::dragDialTo(int minute)
{
    auto* face = dial().findChild<DrawSurface*>();
    const int from = dial().ValueText().mid(3, 2).toInt();
    QTest::mousePress(face, Qt::LeftButton, {}, dialPointAt(from));
    QTest::mouseMove(face, dialPointAt((from + minute) / 2.0));
    QTest::mouseMove(face, dialPointAt(minute));
    QTest::mouseRelease(face, Qt::LeftButton, {}, dialPointAt(minute));
}

void MainWindowRig::click(const char* name)
{
    QWidget* widget = control(name);
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

void MainWindowRig::key(Qt::Key key, bool autoRepeat)
{
    QWidget* picture = control("Picture1");
    if (!autoRepeat) {
        QTest::keyPress(picture, key);
        QTest::keyRelease(picture, key);
        return;
    }
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(picture, &press);
}

QString MainWindowRig::storedVolume()
{
    return fake.platform.settings
        ->GetRegValue(QStringLiteral("Taktovia"), QStringLiteral("Gitara"), QStringLiteral("Volme"),
            QStringLiteral("missing"))
        .toString();
}
