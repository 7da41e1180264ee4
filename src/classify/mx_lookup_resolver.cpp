#include "classify/mx_lookup_resolver.h"

#include "net/msmx.h"

namespace tw {

void ResolverMxLookup::Resolve(const std::string &domain)
{
    m_resolver.Domain = domain;
    m_resolver.Resolve();
}

} // namespace tw
