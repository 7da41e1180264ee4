#pragma once
// TagWinsock: the process-wide binding to the platform's socket service. On
// this platform the service is Qt Network, linked into the program, so Load
// cannot fail; the binding keeps the loaded state that the transport and the
// resolver check, and raises EWinsockDLLError (57011) when used unloaded.

namespace tw {

class TagWinsock {
public:
    static TagWinsock &instance();

    void Load();              // never fails here; kept for the loaded/unloaded state
    void Unload();
    bool Loaded() const { return m_loaded; }

    // Raises EWinsockDLLError "Winsock is not loaded" (57011) when not loaded.
    void RequireLoaded() const;

    // The socket-service start-up/clean-up pair counted by each component.
    // Returns false when the service refuses (never on this platform).
    bool WSAStartup();
    void WSACleanup();
    int StartupCount() const { return m_startups; }

private:
    TagWinsock() = default;
    bool m_loaded = false;
    int m_startups = 0;
};

} // namespace tw
