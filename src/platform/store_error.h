#pragma once
// The failure of a write to the settings registry or to an ini file. what()
// is the text shown to the user ("Failed to create key ...", "Failed to set
// data for '...'", "Unable to write to ..."); reason() is the system's cause,
// kept apart for diagnostics.

#include <stdexcept>
#include <string>

namespace tw {

class EStoreError : public std::runtime_error {
public:
    EStoreError(const std::string &text, std::string reason)
        : std::runtime_error(text), m_reason(std::move(reason)) {}
    const std::string &reason() const { return m_reason; }

private:
    std::string m_reason;
};

// The text for a settings file that exists but cannot be read (Reason is the
// system's): it is shown at start-up and raised by every write to that file.
inline std::string unreadableStoreText(const std::string &path, const std::string &reason)
{
    return "Cannot read the settings file " + path + " (" + reason +
           "). It has been left as it is, and no setting is saved to it until it can be read.";
}

} // namespace tw
