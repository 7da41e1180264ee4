#pragma once
// Windows find their controls, and tests find them too, by objectName: a
// control gets the name of the member that holds it.

#include <QString>

namespace tw {

template <class Widget> Widget *named(Widget *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace tw
