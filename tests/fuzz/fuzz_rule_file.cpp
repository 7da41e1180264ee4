// A file as a rule file of each kind. A table that loads must save and load
// again to the same table (what the program writes, it reads back whole).
#include "classify/rule_files.h"
#include "fuzz_support.h"

#include <cstdlib>

using namespace tw;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string path = fuzz::inputAsFile(data, size, "rules.lst");
    for (RuleKind kind : {RuleKind::Subject, RuleKind::Exception}) {
        RuleTable table = emptyRuleTable(kind);
        try {
            loadRuleFile(kind, table, path);
        } catch (const ERuleFileError &) {
            continue;
        }
        const std::string text = ruleFileText(table);
        const std::string again = fuzz::inputAsFile(reinterpret_cast<const uint8_t *>(text.data()), text.size(),
                                                    "again.lst");
        RuleTable reread = emptyRuleTable(kind);
        loadRuleFile(kind, reread, again);
        if (ruleFileText(reread) != text)
            std::abort();
        DeleteDupsFromGrid(kind, reread);
    }
    return 0;
}
