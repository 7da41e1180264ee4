#pragma once
// Sound: play a wave file once or in a loop, stop it, the exclamation beep.
// Tests install a recording double.

#include <memory>
#include <string>
#include <vector>

class QSoundEffect;

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
    static void install(Sound *replacement); // nullptr restores the real one; not owned
};

class QtSound : public Sound {
public:
    QtSound();
    ~QtSound() override;
    bool play(const std::string &file, bool loop) override;
    void stop() override;
    bool playing() const override;
    void beep() override;

private:
    std::unique_ptr<QSoundEffect> m_effect;
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
