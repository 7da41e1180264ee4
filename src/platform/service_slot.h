#pragma once
// One platform service (prompts, sound, shell) reached through one place.
// Three layers decide which instance answers: a test's double while one is
// installed, else the desktop implementation once the windowing layer has
// registered it, else a fallback that needs no windows (so command-line
// programs and logic tests never open a dialog or wait for a click).

namespace tw {

template <class Service>
class ServiceSlot {
public:
    explicit ServiceSlot(Service &fallback) : m_fallback(fallback) {}

    Service &current() const { return m_override ? *m_override : m_desktop ? *m_desktop : m_fallback; }
    void install(Service *replacement) { m_override = replacement; }
    void setDesktop(Service *desktop) { m_desktop = desktop; }

private:
    Service &m_fallback;
    Service *m_override = nullptr;
    Service *m_desktop = nullptr;
};

} // namespace tw
