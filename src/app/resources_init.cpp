#include "app/resources_init.h"

#include <QIcon>
#include <QImageReader>
#include <QtGlobal>

static void registerResources() { Q_INIT_RESOURCE(resources); }

namespace tw {

void loadResources()
{
    static const bool done = (registerResources(), true);
    (void)done;
}

QPixmap picture(const QString &name)
{
    // QIcon picks the "@2x" file for the screen's scale; a plain QPixmap would not.
    const QString path = QStringLiteral(":/pictures/") + name + QStringLiteral(".png");
    return QIcon(path).pixmap(QImageReader(path).size());
}

} // namespace tw
