#include "platform/sound.h"

#include "platform/service_slot.h"

namespace tw {

static ServiceSlot<Sound> &slot()
{
    static SilentSound silent;
    static ServiceSlot<Sound> instance(silent);
    return instance;
}

Sound &Sound::current() { return slot().current(); }
void Sound::install(Sound *replacement) { slot().install(replacement); }
void Sound::setDesktop(Sound *desktop) { slot().setDesktop(desktop); }

bool RecordingSound::play(const std::string &file, bool loop)
{
    calls.push_back((loop ? "loop: " : "play: ") + file);
    m_playing = true;
    return true;
}

void RecordingSound::stop()
{
    calls.push_back("stop");
    m_playing = false;
}

} // namespace tw
