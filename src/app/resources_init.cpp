#include "app/resources_init.h"

#include <QtGlobal>

static void registerResources() { Q_INIT_RESOURCE(resources); }

namespace tw {

void loadResources()
{
    static const bool done = (registerResources(), true);
    (void)done;
}

} // namespace tw
