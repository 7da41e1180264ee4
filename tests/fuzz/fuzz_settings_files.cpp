// A file as registry.ini and as an ini file: read, one value written, read
// again. Every value that could be read before the write must read the same
// after it (a write never loses another setting).
#include "fuzz_support.h"
#include "platform/bytes.h"
#include "platform/inifile.h"
#include "platform/registry.h"
#include "platform/store_error.h"

#include <cstdlib>

using namespace tw;

namespace {

void checkRegistry(const std::string &path)
{
    const char *const key = "Software\\Quillmarsh\\Tidewell\\10\\General";
    Registry before(path);
    const std::vector<std::string> names = before.valueNames(Hive::CurrentUser, key);
    try {
        Registry(path).writeString(key, "Written", "value\\x00\r\n");
    } catch (const EStoreError &) {
        return;
    }
    Registry after(path);
    if (after.readString(Hive::CurrentUser, key, "written") != "value\\x00\r\n")
        std::abort();
    for (const std::string &name : names)
        if (!sameText(name, "Written") &&
            after.readString(Hive::CurrentUser, key, name) != before.readString(Hive::CurrentUser, key, name))
            std::abort();
}

void checkIni(const std::string &path)
{
    IniFile before(path);
    const std::string kept = before.readString("Larger", "Num", "<none>");
    before.readInteger("Smaller", "Num", 0);
    before.readBool("Ascii", "QMonitor", false);
    try {
        IniFile(path).writeString("Smaller", "Num", "42");
    } catch (const EStoreError &) {
        return;
    }
    IniFile after(path);
    if (after.readString("Smaller", "Num", "") != "42" || after.readString("Larger", "Num", "<none>") != kept)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    checkRegistry(fuzz::inputAsFile(data, size, "registry.ini"));
    checkIni(fuzz::inputAsFile(data, size, "tidewell.ini"));
    return 0;
}
