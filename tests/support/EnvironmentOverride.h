#pragma once

#include <cstdlib>
#include <string>

// Sets an environment variable for the length of a scenario, and restores it (or its absence)
// when the scenario ends.
class EnvironmentOverride
{
public:
    EnvironmentOverride(const char* name, const std::string& value)
        : m_name(name)
    {
        if (const char* old = std::getenv(name)) {
            m_had = true;
            m_old = old;
        }
        setenv(name, value.c_str(), 1);
    }

    ~EnvironmentOverride()
    {
        if (m_had)
            setenv(m_name, m_old.c_str(), 1);
        else
            unsetenv(m_name);
    }

    EnvironmentOverride(const EnvironmentOverride&) = delete;
    EnvironmentOverride& operator=(const EnvironmentOverride&) = delete;

private:
    const char* m_name;
    bool m_had = false;
    std::string m_old;
};
