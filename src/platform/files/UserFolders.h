#pragma once

#include <QString>

// The per-user base folders: the variable when it holds an absolute path, else the usual place
// under the home folder (a relative value is ignored, as the desktop's rules ask).
QString xdgConfigHome();
QString xdgDataHome();
QString xdgCacheHome();
