#pragma once
// Answers modal dialogs without a person. Create a ModalAnswer before the code
// that runs exec(): an application-wide event filter sees each modal dialog
// as it is shown, takes the next answer for it at once, and runs that answer
// from a queued call, that is once the dialog's event loop runs. The order of
// answers is the order in which the dialogs were shown, however briefly each
// stays open and however slow the machine is. A dialog still open after the
// time-out, answered or not, is closed by force (and reported), so a test
// never hangs on a dialog while a ModalAnswer lives; no ordinary run comes
// near the default time-out. A dialog that shows when no answer is left is
// the modal guard's (modalguard.h): it fails the test.
#include <QDialog>
#include <QHash>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <functional>

namespace testsupport {

class ModalAnswer : public QObject
{
public:
    using Answer = std::function<void(QDialog*)>;

    static constexpr int kDefaultTimeoutMs = 30000;

    explicit ModalAnswer(Answer answer, int timeoutMs = kDefaultTimeoutMs);
    // Several dialogs in a row, answered in order.
    explicit ModalAnswer(QList<Answer> answers, int timeoutMs = kDefaultTimeoutMs);
    // Every dialog of these classes that shows while it lives, however many
    // and whenever, with the same answer; the ModalAnswers of a list leave
    // such dialogs to it.
    ModalAnswer(const QStringList& classNames, Answer answer, int timeoutMs = kDefaultTimeoutMs);
    ~ModalAnswer() override;

    // Class names of the dialogs answered so far, in the order they showed.
    QStringList answered() const { return m_answered; }
    int answeredCount() const { return m_answered.size(); }
    // True when a dialog had to be closed by force, or an answer never ran.
    bool forced() const { return m_forced; }
    bool allAnswered() const { return m_answers.isEmpty() && !m_forced; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void shown(QDialog* dialog);
    void closeByForce(const QPointer<QDialog>& dialog);

    QList<Answer> m_answers;
    QStringList m_classes;
    Answer m_classAnswer;
    QStringList m_answered;
    // One guard per dialog on screen, dropped when the dialog hides.
    QHash<QDialog*, QTimer*> m_guards;
    int m_timeoutMs;
    bool m_forced = false;
};

// Clicks the dialog's button of this object name.
ModalAnswer::Answer clickButton(const QString& objectName);
// Sends a key press and release to the dialog's focus widget (or the dialog).
ModalAnswer::Answer pressKey(int key);
// Closes the dialog as the window manager would.
ModalAnswer::Answer closeWindow();
// Types a name into the name dialog's field and confirms it.
ModalAnswer::Answer enterName(const QString& name);
// Chooses this file in a file dialog and accepts it.
ModalAnswer::Answer chooseFile(const QString& path);
// Does nothing: the program closes the dialog itself (a wait that ends, a
// notice that the device's answer closes).
ModalAnswer::Answer leaveToTheProgram();
// Runs `inspect` on the dialog first, then `answer`.
ModalAnswer::Answer inspectThen(std::function<void(QDialog*)> inspect, ModalAnswer::Answer answer);

} // namespace testsupport
