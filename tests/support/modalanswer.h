#pragma once
// Answers modal dialogs without a person. Create a ModalAnswer before the code
// that runs exec(): a timer watches for the application's active modal widget
// and, each time a new one is shown, runs the next answer on it. A dialog that
// is still open after the time-out, answered or not, is closed by force (and
// reported), so a test never hangs on a dialog while a ModalAnswer lives.
#include <QDialog>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <functional>

namespace testsupport {

class ModalAnswer : public QObject
{
public:
    using Answer = std::function<void(QDialog*)>;

    explicit ModalAnswer(Answer answer, int timeoutMs = 5000);
    // Several dialogs in a row, answered in order.
    explicit ModalAnswer(QList<Answer> answers, int timeoutMs = 5000);
    ~ModalAnswer() override;

    // Class names of the dialogs answered so far, in order.
    QStringList answered() const { return m_answered; }
    int answeredCount() const { return m_answered.size(); }
    // True when a dialog had to be closed by force, or an answer never ran.
    bool forced() const { return m_forced; }
    bool allAnswered() const { return m_answers.isEmpty() && !m_forced; }

private:
    void poll();

    QList<Answer> m_answers;
    QStringList m_answered;
    QPointer<QDialog> m_current;
    QTimer m_timer;
    int m_timeoutMs;
    qint64 m_since = 0;
    bool m_forced = false;
};

// Clicks the dialog's button of this object name.
ModalAnswer::Answer clickButton(const QString& objectName);
// Sends a key press and release to the dialog's focus widget (or the dialog).
ModalAnswer::Answer pressKey(int key);
// Closes the dialog as the window manager would.
ModalAnswer::Answer closeWindow();
// Runs `inspect` on the dialog first, then `answer`.
ModalAnswer::Answer inspectThen(std::function<void(QDialog*)> inspect, ModalAnswer::Answer answer);

} // namespace testsupport
