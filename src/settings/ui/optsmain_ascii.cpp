// The non-English sensitivity choice of the spam settings window.

#include "settings/ui/optsmain.h"

#include "classify/ui/ascii.h"
#include "net/errors.h"
#include "platform/prompts.h"
#include "settings/settings_store.h"

namespace tw {

void TfrmOptionsMain::btAsciiClick()
{
    TfrmAscii dialog(readAsciiRange(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    try {
        saveAsciiRange(dialog.range());
    } catch (const std::exception &e) {
        Prompts::current().error(e.what());
    }
    m_model.tests.Range = dialog.range();
}

} // namespace tw
