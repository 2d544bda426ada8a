#pragma once

#include <QString>

// Where command strings go: 0 on success, else an error number; `reply` (may be null) gets a
// status query's answer. UI thread only.
class MciSender
{
public:
    virtual ~MciSender() = default;

    virtual int mciSendString(const QString& command, QString* reply) = 0;
};
