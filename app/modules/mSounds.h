// The program's sounds: the system beep, and the alert's run of beeps. Everything goes through one
// device so tests record the beeps instead of sounding them. The real device rings the desktop's
// bell: the X bell under X11 (QApplication::beep), the sound theme's "bell" event through
// canberra-gtk-play on other platforms (Wayland) when that player is installed, else Qt's beep.
#pragma once

#include <QtGlobal>

#include <chrono>

namespace mSounds {

// The pause between the beeps of one run: bells sent closer together merge into one.
inline constexpr std::chrono::milliseconds kBeepGap { 100 };
// The beeps of an alert.
inline constexpr int kAlertBeeps = 4;

class SoundDevice {
public:
    virtual ~SoundDevice() = default;
    virtual void beep() = 0;
};

// Installs a device for the whole process and returns the one it replaces (null: the bell).
SoundDevice *setSoundDevice(SoundDevice *device);

// One beep, now.
void Beep();

// `count` beeps, `kBeepGap` apart: the first now, the others from the event loop, so the window
// stays responsive and each bell is sent (and heard) on its own. A count below 1 does nothing.
void BeepTimes(int count);

// Test double: counts every beep for its lifetime and restores the previous device after.
class SoundRecorder : public SoundDevice {
public:
    SoundRecorder();
    ~SoundRecorder() override;
    Q_DISABLE_COPY(SoundRecorder)
    void beep() override { ++m_beeps; }
    int beeps() const { return m_beeps; }

private:
    SoundDevice *m_previous;
    int m_beeps = 0;
};

} // namespace mSounds
