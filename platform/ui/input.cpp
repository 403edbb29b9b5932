#include "platform/ui/input.h"

#include <QCursor>
#include <QGuiApplication>

namespace platform::ui {

QPoint InputState::cursorPos() const
{
    return QCursor::pos();
}

Qt::MouseButtons InputState::mouseButtons() const
{
    return QGuiApplication::mouseButtons();
}

Qt::KeyboardModifiers InputState::keyboardModifiers() const
{
    return QGuiApplication::queryKeyboardModifiers();
}

namespace {

InputState *g_installed = nullptr;

} // namespace

InputState &input() noexcept
{
    static InputState system;
    return g_installed ? *g_installed : system;
}

void setInput(InputState *state) noexcept
{
    g_installed = state;
}

} // namespace platform::ui
