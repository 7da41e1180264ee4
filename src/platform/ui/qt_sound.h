#pragma once
// Sound through Qt Multimedia: a wave file once or looped, and the desktop's beep.

#include "platform/sound.h"

#include <memory>

class QSoundEffect;

namespace tw {

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

} // namespace tw
