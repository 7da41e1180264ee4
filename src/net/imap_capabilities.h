#pragma once
// What an IMAP server says it can do: the atoms of "* CAPABILITY ..." or of
// a [CAPABILITY ...] response code ("IMAP4rev1 STARTTLS AUTH=PLAIN MOVE").
// The list is only as good as the session state it was read in: servers
// list more after STARTTLS and after the sign-in, so it is read again then.

#include "net/imap_response.h"

#include <string>
#include <vector>

namespace tw {

class TImapCapabilities {
public:
    // From the data of a CAPABILITY response.
    static TImapCapabilities fromData(const std::vector<TImapValue> &data);
    // From the arguments of a CAPABILITY response code.
    static TImapCapabilities fromText(const std::string &text);

    // Whether Name is listed, ignoring the case of a..z.
    bool has(const std::string &name) const;
    // The SASL mechanisms listed as "AUTH=<name>", upper case.
    std::vector<std::string> saslMechanisms() const;
    bool empty() const { return m_names.empty(); }
    void clear() { m_names.clear(); }

    static constexpr size_t MaxCapabilities = 256;

private:
    void add(const std::string &name);
    std::vector<std::string> m_names; // upper case
};

} // namespace tw
