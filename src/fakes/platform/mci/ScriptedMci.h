#pragma once

#include "platform/mci/MciSender.h"

#include <map>
#include <set>

#include <QStringList>

// Passes command strings on to a real interpreter and logs each one; commands named in `failing`
// fail with `failCode` instead, and a reply named in `replies` replaces the interpreter's.
class ScriptedMci : public MciSender
{
public:
    explicit ScriptedMci(MciSender& target)
        : m_target(target)
    {}

    int mciSendString(const QString& command, QString* reply) override
    {
        log.append(command);
        if (failing.contains(command)) {
            if (reply)
                reply->clear();
            return failCode;
        }
        const int result = m_target.mciSendString(command, reply);
        if (auto found = replies.find(command); found != replies.end() && reply)
            *reply = found->second;
        return result;
    }

    QStringList log;
    std::set<QString> failing;
    std::map<QString, QString> replies;
    int failCode = 277;

private:
    MciSender& m_target;
};
