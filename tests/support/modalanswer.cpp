#include "support/modalanswer.h"

#include "support/modalguard.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QtTest>

namespace testsupport {

ModalAnswer::ModalAnswer(Answer answer, int timeoutMs)
    : ModalAnswer(QList<Answer>{std::move(answer)}, timeoutMs)
{
}

ModalAnswer::ModalAnswer(QList<Answer> answers, int timeoutMs)
    : m_answers(std::move(answers))
    , m_timeoutMs(timeoutMs)
{
    qApp->installEventFilter(this);
}

namespace {

// The classes that a living ModalAnswer answers whenever they show.
QStringList& classesAnswered()
{
    static QStringList classes;
    return classes;
}

} // namespace

ModalAnswer::ModalAnswer(const QStringList& classNames, Answer answer, int timeoutMs)
    : m_classes(classNames)
    , m_classAnswer(std::move(answer))
    , m_timeoutMs(timeoutMs)
{
    classesAnswered() += classNames;
    qApp->installEventFilter(this);
}

ModalAnswer::~ModalAnswer()
{
    qApp->removeEventFilter(this);
    for (const QString& name : qAsConst(m_classes))
        classesAnswered().removeOne(name);
    if (!m_answers.isEmpty())
        m_forced = true;
}

bool ModalAnswer::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if ((type != QEvent::Show && type != QEvent::Hide) || event->spontaneous())
        return false;
    auto* dialog = qobject_cast<QDialog*>(watched);
    if (!dialog)
        return false;
    if (type == QEvent::Show) {
        // exec() makes the dialog modal before it shows it.
        if (dialog->isModal())
            shown(dialog);
    } else if (QTimer* guard = m_guards.take(dialog)) {
        // The hide may come from the guard's own time-out.
        guard->stop();
        guard->deleteLater();
    }
    return false;
}

void ModalAnswer::shown(QDialog* dialog)
{
    const QString className = QString::fromLatin1(dialog->metaObject()->className());
    // Answering by class, it minds no other dialog; answering a list, it
    // leaves the classes that another answers to that one.
    if (m_classes.isEmpty() ? classesAnswered().contains(className) : !m_classes.contains(className))
        return;
    const QPointer<QDialog> guarded(dialog);
    if (QTimer* old = m_guards.take(dialog))
        old->deleteLater();
    auto* guard = new QTimer(this);
    guard->setSingleShot(true);
    connect(guard, &QTimer::timeout, this, [this, guarded] { closeByForce(guarded); });
    guard->start(m_timeoutMs);
    m_guards.insert(dialog, guard);

    if (m_classes.isEmpty() && m_answers.isEmpty())
        return;
    // The answer belongs to this dialog from now on, even when a nested
    // dialog shows before the answer gets to run.
    m_answered.append(className);
    markModalAnswered(dialog);
    const Answer answer = m_classes.isEmpty() ? m_answers.takeFirst() : m_classAnswer;
    // Queued: it runs once the dialog's event loop does. A dialog that closed
    // on its own before then needs no answer.
    QMetaObject::invokeMethod(
        this,
        [guarded, answer] {
            if (guarded && guarded->isVisible())
                answer(guarded);
        },
        Qt::QueuedConnection);
}

void ModalAnswer::closeByForce(const QPointer<QDialog>& dialog)
{
    // A dialog its answer left open, or one no answer was given for: close
    // it, so the test goes on and fails.
    if (!dialog || !dialog->isVisible())
        return;
    m_forced = true;
    qWarning("ModalAnswer: %s still open, closing it", dialog->metaObject()->className());
    dialog->reject();
}

ModalAnswer::Answer clickButton(const QString& objectName)
{
    return [objectName](QDialog* dialog) {
        auto* button = dialog->findChild<QAbstractButton*>(objectName);
        if (!button) {
            qWarning("ModalAnswer: no button %s in %s", qPrintable(objectName), dialog->metaObject()->className());
            return;
        }
        button->click();
    };
}

ModalAnswer::Answer pressKey(int key)
{
    return [key](QDialog* dialog) {
        QWidget* target = dialog->focusWidget() ? dialog->focusWidget() : dialog;
        QTest::keyClick(target, Qt::Key(key));
    };
}

ModalAnswer::Answer closeWindow()
{
    return [](QDialog* dialog) { dialog->close(); };
}

ModalAnswer::Answer leaveToTheProgram()
{
    return [](QDialog*) {};
}

ModalAnswer::Answer inspectThen(std::function<void(QDialog*)> inspect, ModalAnswer::Answer answer)
{
    return [inspect, answer](QDialog* dialog) {
        inspect(dialog);
        answer(dialog);
    };
}

ModalAnswer::Answer enterName(const QString& name)
{
    return [name](QDialog* dialog) {
        if (auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("lineEdit")))
            field->setText(name);
        else
            qWarning("ModalAnswer: no name field in %s", dialog->metaObject()->className());
        clickButton(QStringLiteral("NewHong"))(dialog);
    };
}

ModalAnswer::Answer chooseFile(const QString& path)
{
    return [path](QDialog* dialog) {
        auto* files = qobject_cast<QFileDialog*>(dialog);
        QVERIFY(files);
        files->selectFile(path);
        QMetaObject::invokeMethod(files, "accept");
    };
}

} // namespace testsupport
