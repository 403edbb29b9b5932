#include "app/modules/mSounds.h"

#include <QApplication>
#include <QTimer>

#include <utility>

namespace mSounds {

namespace {

SoundDevice *g_device = nullptr;

void ringBell()
{
    if (g_device)
        g_device->beep();
    else
        QApplication::beep();
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
