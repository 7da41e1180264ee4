#pragma once
// "Now" for the whole program. Tests fix it so that time stamps, file names
// and date ranges are repeatable.

#include "platform/datetime.h"

#include <optional>

namespace tw {

class Clock {
public:
    static TDateTime now();       // local date and time
    static QDateTime nowQt();
    static void setFixedNow(std::optional<QDateTime> fixed);
};

} // namespace tw
