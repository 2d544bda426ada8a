#pragma once

#include <functional>

#include <QString>

#include <sys/types.h>

// Runs `body` in a child process that has given up root and runs as "nobody", so that the system
// refuses it what file permissions forbid (root reads and writes whatever it likes). A test run
// by any other user runs the body as that user. `folder`, a test's private temporary folder, is
// opened to every user first so that the child can reach the files inside.
// The body checks with the usual EXPECT macros: what fails in the child is printed there and
// makes the call false, as does a child that could not give up root or did not end normally.
bool withoutRoot(const QString& folder, const std::function<void()>& body);

// chmod(2): the permission bits as the system writes them (0555, 0200, ...).
bool setMode(const QString& path, mode_t mode);
