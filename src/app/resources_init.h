#pragma once

#include <QPixmap>
#include <QString>

namespace tw {

// Registers the pictures, sounds and shipped data files compiled into the
// program (a static library does not register them by itself). Safe to call
// more than once.
void loadResources();

// The picture ":/pictures/<Name>.png" at its own size, drawn from its
// "@2x" variant on screens with a scale factor above 1 so it stays sharp.
QPixmap picture(const QString &name);

} // namespace tw
