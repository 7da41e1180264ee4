#include "net/agwinsock.h"

#include "net/errors.h"
#include "net/stringtable.h"

namespace tw {

TagWinsock &TagWinsock::instance()
{
    static TagWinsock binding;
    return binding;
}

void TagWinsock::Load() { m_loaded = true; }

void TagWinsock::Unload() { m_loaded = false; }

void TagWinsock::RequireLoaded() const
{
    if (!m_loaded)
        throw EWinsockDLLError(loadStr(57011));
}

bool TagWinsock::WSAStartup()
{
    RequireLoaded();
    ++m_startups;
    return true;
}

void TagWinsock::WSACleanup()
{
    if (m_startups > 0)
        --m_startups;
}

} // namespace tw
