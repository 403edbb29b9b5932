// What the pointer and the keyboard are doing right now, for code that polls the state instead of
// waiting for events (the drag loop asks at every round, as the system's key-state calls would
// answer). Tests install their own state to script a gesture without a real mouse. UI thread only.
#pragma once

#include <QPoint>
#include <Qt>

namespace platform::ui {

class InputState {
public:
    virtual ~InputState() = default;
    // Pointer position in screen coordinates.
    virtual QPoint cursorPos() const;
    virtual Qt::MouseButtons mouseButtons() const;
    virtual Qt::KeyboardModifiers keyboardModifiers() const;
    // True once per Escape press seen since the last call. The system state has no memory of
    // key presses, so a polling loop watches the key events itself and this answers false.
    virtual bool takeEscape() { return false; }
    // A polling loop calls this at the start of each round; a scripted state moves on here.
    virtual void poll() { }
};

// The input state in use: the system's unless a test installed another.
InputState &input() noexcept;
// Installs a state (not owned); null restores the system's.
void setInput(InputState *state) noexcept;

} // namespace platform::ui
