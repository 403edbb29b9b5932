#include "app/modules/mSounds.h"

#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace mSounds {

namespace {

SoundDevice *g_device = nullptr;

// The desktop's bell. Qt rings the X bell (X11 and XWayland); a native Wayland session has no bell
// protocol, so there the sound theme's "bell" is played through canberra-gtk-play when installed.
void desktopBell()
{
    if (QGuiApplication::platformName() != u"xcb"_s) {
        static const QString player = QStandardPaths::findExecutable(u"canberra-gtk-play"_s);
        if (!player.isEmpty() &&
            QProcess::startDetached(player, { u"-i"_s, u"bell"_s, u"-d"_s, u"Bidlark"_s }))
            return;
    }
    QApplication::beep();
}

void ringBell()
{
    if (g_device)
        g_device->beep();
    else
        desktopBell();
}

} // namespace

SoundDevice *setSoundDevice(SoundDevice *device)
{
    return std::exchange(g_device, device);
}

void Beep()
{
    ringBell();
}

void BeepTimes(int count)
{
    if (count < 1)
        return;
    ringBell();
    for (int n = 1; n < count; ++n)
        QTimer::singleShot(kBeepGap * n, qApp, &ringBell);
}

SoundRecorder::SoundRecorder()
    : m_previous(setSoundDevice(this))
{
}

SoundRecorder::~SoundRecorder()
{
    setSoundDevice(m_previous);
}

} // namespace mSounds
