#pragma once
// Closing saves every setting in one write per file: the main window's
// column widths and placement, and what the settings windows save as they
// are destroyed. The batch begins when the program starts to end (begin(),
// from the main window's closing or the tray's Exit) and writes when this
// object goes, which must be after every window that saves; a failure then
// is still shown.

#include "platform/prompts.h"
#include "platform/settings_files.h"

#include <exception>
#include <optional>

namespace tw {

class ClosingWrites {
public:
    ClosingWrites() = default;
    ClosingWrites(const ClosingWrites &) = delete;
    ClosingWrites &operator=(const ClosingWrites &) = delete;
    ~ClosingWrites()
    {
        if (!m_batch)
            return;
        try {
            m_batch->commit();
        } catch (const std::exception &error) {
            Prompts::current().error(error.what());
        }
    }
    // From now until this object goes, settings writes wait for the one write per file.
    void begin()
    {
        if (!m_batch)
            m_batch.emplace();
    }

private:
    std::optional<SettingsWriteBatch> m_batch;
};

} // namespace tw
