#pragma once

#include <QCursor>

// A 32 x 32 two-colour pointing hand (index finger up, white with a black outline) with its hot
// spot on the fingertip at (5, 0). Drawn here, so it looks the same on every desktop.
QCursor pointingHandCursor();
