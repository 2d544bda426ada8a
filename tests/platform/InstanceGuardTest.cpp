#include "platform/shell/InstanceGuard.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(InstanceGuardTest, SecondCopySeesTheFirstUntilItEnds)
{
    QTemporaryDir dir;
    const QString lock = dir.path() + QStringLiteral("/kadentor.lock");
    auto first = std::make_unique<LockFileInstanceGuard>(lock);
    EXPECT_FALSE(first->anotherInstanceRunning());
    // Asking again from the copy that holds the lock does not find itself.
    EXPECT_FALSE(first->anotherInstanceRunning());

    LockFileInstanceGuard second(lock);
    EXPECT_TRUE(second.anotherInstanceRunning());

    first.reset();
    LockFileInstanceGuard third(lock);
    EXPECT_FALSE(third.anotherInstanceRunning());
}

} // namespace
