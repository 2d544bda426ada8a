#include <cstdlib>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

// CTest hands every test the variables of the build's list, "NAME=VALUE" separated by blanks: each
// arrives with its value. A test binary run by hand, outside CTest, fails here by design.
TEST(TestEnvironment, EveryVariableOfTheListArrivesWithItsValue)
{
    std::istringstream list(KADENTOR_TEST_ENVIRONMENT);
    int checked = 0;
    for (std::string entry; list >> entry; ++checked) {
        const std::size_t equals = entry.find('=');
        ASSERT_NE(equals, std::string::npos) << entry;
        const std::string name = entry.substr(0, equals);
        SCOPED_TRACE(name);
        const char* value = std::getenv(name.c_str());
        ASSERT_NE(value, nullptr) << "not set";
        EXPECT_EQ(value, entry.substr(equals + 1));
    }
    EXPECT_GE(checked, 3);
}
