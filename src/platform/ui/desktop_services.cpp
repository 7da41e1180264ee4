#include "platform/ui/desktop_services.h"

#include "platform/ui/desktop_shell.h"
#include "platform/ui/qt_sound.h"
#include "platform/ui/widget_prompts.h"

namespace tw {

void registerDesktopServices()
{
    static WidgetPrompts prompts;
    static QtSound sound;
    static DesktopShell shell;
    Prompts::setDesktop(&prompts);
    Sound::setDesktop(&sound);
    Shell::setDesktop(&shell);
}

} // namespace tw
