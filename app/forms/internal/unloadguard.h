// A hidden window of the refresh chain is deleted only once none of its own handlers runs. Its
// handlers wait in nested event loops (the page read, the chunk loop); a window deleted from inside
// one of those loops would be gone when the handler resumes.
#pragma once

#include <QObject>

class UnloadGuard {
public:
    explicit UnloadGuard(QObject &form)
        : m_form(form)
    {
    }
    Q_DISABLE_COPY(UnloadGuard)

    // Held by every handler and public step of the window for as long as it runs.
    class Scope {
    public:
        explicit Scope(UnloadGuard &guard)
            : m_guard(guard)
        {
            ++m_guard.m_depth;
        }
        ~Scope()
        {
            if (--m_guard.m_depth == 0 && m_guard.m_pending)
                m_guard.m_form.deleteLater();
        }
        Q_DISABLE_COPY(Scope)

    private:
        UnloadGuard &m_guard;
    };

    // Deletes the window once control is back in the event loop and no handler of it runs.
    void deleteWhenIdle()
    {
        if (m_depth == 0)
            m_form.deleteLater();
        else
            m_pending = true;
    }

private:
    QObject &m_form;
    int m_depth = 0;
    bool m_pending = false;
};
