#pragma once
// Sound: play a wave file once or in a loop, stop it, the exclamation beep.
// Tests install a recording double; the desktop implementation (Qt Multimedia)
// lives in platform/ui and is registered by the program at start-up.

#include <string>
#include <vector>

namespace tw {

class Sound {
public:
    virtual ~Sound() = default;
    // File is a path or a resource path (":/..."); false when it cannot be played.
    virtual bool play(const std::string &file, bool loop) = 0;
    virtual void stop() = 0;
    virtual bool playing() const = 0;
    virtual void beep() = 0;

    static Sound &current();
    static void install(Sound *replacement); // a test's double; nullptr removes it; not owned
    static void setDesktop(Sound *desktop);  // the desktop's player; nullptr removes it; not owned
};

// Without a desktop: nothing can be played, and every call says so.
class SilentSound : public Sound {
public:
    bool play(const std::string &, bool) override { return false; }
    void stop() override {}
    bool playing() const override { return false; }
    void beep() override {}
};

class RecordingSound : public Sound {
public:
    RecordingSound() { install(this); }
    ~RecordingSound() override { install(nullptr); }
    std::vector<std::string> calls; // "play: file", "loop: file", "stop", "beep"
    bool play(const std::string &file, bool loop) override;
    void stop() override;
    bool playing() const override { return m_playing; }
    void beep() override { calls.push_back("beep"); }

private:
    bool m_playing = false;
};

} // namespace tw
