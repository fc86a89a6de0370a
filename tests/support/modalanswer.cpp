#include "support/modalanswer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDateTime>
#include <QKeyEvent>
#include <QtTest>

namespace testsupport {

ModalAnswer::ModalAnswer(Answer answer, int timeoutMs)
    : ModalAnswer(QList<Answer>{std::move(answer)}, timeoutMs)
{
}

ModalAnswer::ModalAnswer(QList<Answer> answers, int timeoutMs)
    : m_answers(std::move(answers))
    , m_timeoutMs(timeoutMs)
    , m_since(QDateTime::currentMSecsSinceEpoch())
{
    m_timer.setInterval(5);
    connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
    m_timer.start();
}

ModalAnswer::~ModalAnswer()
{
    if (!m_answers.isEmpty())
        m_forced = true;
}

void ModalAnswer::poll()
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (modal && modal->isVisible() && modal != m_current) {
        m_current = modal;
        m_since = now;
        if (!m_answers.isEmpty()) {
            m_answered.append(QString::fromLatin1(modal->metaObject()->className()));
            const Answer answer = m_answers.takeFirst();
            answer(modal);
            return;
        }
    }
    // A dialog its answer left open, or one no answer was given for: close
    // it, so the test goes on and fails.
    if (m_current && m_current->isVisible() && now - m_since > m_timeoutMs) {
        m_forced = true;
        qWarning("ModalAnswer: %s still open, closing it", m_current->metaObject()->className());
        m_current->reject();
    }
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

ModalAnswer::Answer inspectThen(std::function<void(QDialog*)> inspect, ModalAnswer::Answer answer)
{
    return [inspect, answer](QDialog* dialog) {
        inspect(dialog);
        answer(dialog);
    };
}

} // namespace testsupport
