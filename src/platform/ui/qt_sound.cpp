#include "platform/ui/qt_sound.h"

#include <QApplication>
#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

namespace tw {

QtSound::QtSound() = default;
QtSound::~QtSound() = default;

bool QtSound::play(const std::string &file, bool loop)
{
    const QString name = QString::fromLocal8Bit(file.c_str());
    QUrl source;
    if (name.startsWith(QLatin1Char(':')))
        source = QUrl(QStringLiteral("qrc") + name);
    else if (QFileInfo::exists(name))
        source = QUrl::fromLocalFile(name);
    else
        return false;
    // Created on first use: the audio back end is only touched when a sound plays.
    if (!m_effect)
        m_effect = std::make_unique<QSoundEffect>();
    m_effect->stop();
    m_effect->setSource(source);
    m_effect->setLoopCount(loop ? QSoundEffect::Infinite : 1);
    m_effect->play();
    return true;
}

void QtSound::stop()
{
    if (m_effect)
        m_effect->stop();
}

bool QtSound::playing() const { return m_effect && m_effect->isPlaying(); }

void QtSound::beep() { QApplication::beep(); }

} // namespace tw
