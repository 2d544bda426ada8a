#include "windows/SingleInstance.h"

#include "UnloadGuard.h"

#include <QObject>
#include <QString>

#include <gtest/gtest.h>

namespace {

// A window that records its construction and what it sees of its own accessor while it goes.
class Probe : public QObject, public SingleInstance<Probe>
{
public:
    explicit Probe(QString name)
        : name(std::move(name))
    {
        ++made;
    }

    ~Probe() override { loadedWhileGoing = isLoaded(); }

    QString name;
    static inline int made = 0;
    static inline bool loadedWhileGoing = true;
};

// A window's state lives in its one instance: a second load hands back the first window with
// its state, never a fresh one, and the window no longer counts as loaded while it is destroyed,
// so a callback from its destructor cannot reach it through instance().
TEST(SingleInstance, ASecondLoadKeepsTheFirstWindowAndADestroyedOneIsNotLoaded)
{
    Probe::made = 0;
    EXPECT_FALSE(Probe::isLoaded());
    UnloadGuard<Probe> unloads;
    Probe& first = Probe::load(QStringLiteral("first"));
    first.name += QStringLiteral(" changed");
    Probe& again = Probe::load(QStringLiteral("second"));
    EXPECT_EQ(&again, &first);
    EXPECT_EQ(Probe::instance().name, QStringLiteral("first changed"));
    EXPECT_EQ(Probe::made, 1);

    Probe::unload();
    EXPECT_FALSE(Probe::isLoaded());
    EXPECT_FALSE(Probe::loadedWhileGoing);
    Probe::unload(); // nothing left to unload: no harm

    EXPECT_EQ(Probe::load(QStringLiteral("third")).name, QStringLiteral("third"));
    EXPECT_EQ(Probe::made, 2);
}

TEST(SingleInstanceDeathTest, ReachingAWindowThatIsNotLoadedStopsWithItsName)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(Probe::instance(), "QObject reached while it is not loaded");
}

} // namespace
