// The hook in front of one kind of modal dialog, and the test double that answers it. A program
// never shows a real dialog while a handler is installed.
#pragma once

#include <QList>

#include <deque>
#include <utility>

class QWidget;

namespace platform::ui {

template <class Request, class Answer> class DialogHandler {
public:
    virtual ~DialogHandler() = default;
    virtual Answer show(const Request &request, QWidget *parent) = 0;
};

// Records every dialog and answers from a queue, then with the kind's own fallback. Installed for
// its lifetime; restores the previous handler when destroyed. Single-threaded, like the UI.
template <class Request, class Answer>
class DialogRecorder : public DialogHandler<Request, Answer> {
public:
    using Handler = DialogHandler<Request, Answer>;
    using Install = Handler *(*)(Handler *handler); // returns the handler it replaces
    using Fallback = Answer (*)(const Request &request);

    DialogRecorder(Install install, Fallback unanswered)
        : m_install(install)
        , m_unanswered(unanswered)
        , m_previous(install(this))
    {
    }
    ~DialogRecorder() override { m_install(m_previous); }
    DialogRecorder(const DialogRecorder &) = delete;
    DialogRecorder &operator=(const DialogRecorder &) = delete;

    Answer show(const Request &request, QWidget *) override
    {
        m_boxes.append(request);
        if (m_answers.empty())
            return m_unanswered(request);
        Answer answer = std::move(m_answers.front());
        m_answers.pop_front();
        return answer;
    }

    void queueAnswer(Answer answer) { m_answers.push_back(std::move(answer)); }
    const QList<Request> &boxes() const { return m_boxes; }
    void clear() { m_boxes.clear(); }

private:
    Install m_install;
    Fallback m_unanswered;
    Handler *m_previous;
    QList<Request> m_boxes;
    std::deque<Answer> m_answers;
};

} // namespace platform::ui
