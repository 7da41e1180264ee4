#include "settings/dns_setting.h"

#include "platform/paths.h"
#include "platform/registry.h"
#include "settings/settings_schema.h"

namespace tw {

std::string readDnsServerValue()
{
    const Registry registry(registryFilePath());
    return registry.readString(Hive::CurrentUser, std::string(kMainKey) + "\\" + kGeneralSection, kDnsServerName)
        .value_or(std::string());
}

DnsServer configuredDnsServer() { return chooseDnsServer(readDnsServerValue()); }

} // namespace tw
