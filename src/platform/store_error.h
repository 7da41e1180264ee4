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

} // namespace tw
