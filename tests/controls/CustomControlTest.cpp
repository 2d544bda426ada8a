#include "controls/CustomControl.h"

#include "controls/ControlFonts.h"
#include "controls/PropertyBag.h"

#include <stdexcept>

#include <QFile>
#include <QFontInfo>

#include <gtest/gtest.h>

namespace {

class Probe : public CustomControl
{
public:
    QStringList calls;
    bool failOnRead = false;

protected:
    void initProperties() override { calls << QStringLiteral("init"); }

    void readProperties(const PropertyBag& bag) override
    {
        calls << QStringLiteral("read");
        if (failOnRead)
            throw std::runtime_error("unreadable");
        calls << bag.readString(QStringLiteral("Caption"), QStringLiteral("none"));
    }

    void writeProperties(PropertyBag& bag) const override
    {
        bag.writeString(QStringLiteral("Caption"), QStringLiteral("x"), QStringLiteral("none"));
    }

    void controlResized() override { calls << QStringLiteral("resize"); }

    void controlShown() override { calls << QStringLiteral("show"); }
};

} // namespace

TEST(CustomControl, LoadsThenResizesThenShowsOnItsFirstShowing)
{
    Probe probe;
    PropertyBag bag;
    bag.set(QStringLiteral("caption"), QStringLiteral("Pitch"));
    probe.load(bag);
    probe.resize(40, 20);
    probe.show();
    EXPECT_EQ(probe.calls, (QStringList { "read", "Pitch", "resize", "show" }));

    PropertyBag saved;
    probe.save(saved);
    EXPECT_EQ(saved.readString(QStringLiteral("CAPTION"), QString()), QStringLiteral("x"));
}

TEST(CustomControl, AFailingLoadDoesNotEscapeToTheWindow)
{
    Probe probe;
    probe.failOnRead = true;
    probe.load(PropertyBag());
    probe.loadNew();
    EXPECT_EQ(probe.calls, (QStringList { "read", "init" }));
}

TEST(ControlFonts, DesignFamiliesResolveToInstalledSubstitutes)
{
    // The Tahoma stand-in is only there when fonts-wine is installed; DejaVu Sans otherwise.
    const bool wineTahoma = QFile::exists(QStringLiteral("/usr/share/wine/fonts/tahoma.ttf"));
    const QFontInfo tahoma(controlFont(QStringLiteral("Tahoma"), 8.25));
    EXPECT_EQ(
        tahoma.family(), wineTahoma ? QStringLiteral("Tahoma") : QStringLiteral("DejaVu Sans"));
    const QFontInfo arial(controlFont(QStringLiteral("Arial"), 8.25, 700));
    EXPECT_EQ(arial.family(), QStringLiteral("Liberation Sans"));
    EXPECT_TRUE(arial.bold());
}
