#include "support/modalguard.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEvent>
#include <QHash>
#include <QPointer>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <cstring>
#include <execinfo.h>

namespace testsupport {

namespace {

int g_delayMs = kModalGuardDelayMs;

// Whether the dialog showing now is shown by its own exec(), which blocks
// the caller until the dialog closes. Qt tells no other way: the show comes
// straight from QDialog::exec(), a few frames up, with no event loop, signal
// or timer between (those would mean a show from inside another dialog's
// exec()).
bool shownByExec()
{
    static const char* const kBetween[] = {"QEventLoop", "EventDispatcher", "sendPostedEvents",
                                           "QMetaObject8activate", "doActivate", "timerEvent"};
    void* frames[64];
    const int count = backtrace(frames, 64);
    char** names = backtrace_symbols(frames, count);
    bool found = false;
    for (int i = 0; names && i < count; ++i) {
        if (std::strstr(names[i], "_ZN7QDialog4execEv")) {
            found = true;
            break;
        }
        if (std::any_of(std::begin(kBetween), std::end(kBetween),
                        [&](const char* marker) { return std::strstr(names[i], marker) != nullptr; }))
            break;
    }
    std::free(names);
    return found;
}

class ModalGuard : public QObject
{
public:
    explicit ModalGuard(QObject* parent)
        : QObject(parent)
    {
        // One timer for all the checks: a test that counts the objects it
        // leaves behind sees none of the guard's.
        m_timer.setSingleShot(true);
        connect(&m_timer, &QTimer::timeout, this, &ModalGuard::checkDue);
        m_clock.start();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if ((type != QEvent::Show && type != QEvent::Hide) || event->spontaneous() || !watched->isWidgetType())
            return false;
        auto* window = static_cast<QWidget*>(watched);
        if (!window->isWindow())
            return false;
        if (type == QEvent::Hide) {
            m_showings.remove(window);
            window->setProperty(kModalAnsweredProperty, QVariant());
            return false;
        }
        if (!qobject_cast<QDialog*>(window) || !window->isModal() || !shownByExec())
            return false;
        // A showing of its own: a window shown again is timed anew.
        const quint64 showing = ++m_lastShowing;
        m_showings.insert(window, showing);
        m_pending.append({QPointer<QWidget>(window), showing, m_clock.elapsed() + g_delayMs});
        schedule();
        return false;
    }

private:
    struct Pending
    {
        QPointer<QWidget> window;
        quint64 showing;
        qint64 dueMs;
    };

    void schedule()
    {
        if (m_pending.isEmpty()) {
            m_timer.stop();
            return;
        }
        qint64 next = m_pending.first().dueMs;
        for (const Pending& p : qAsConst(m_pending))
            next = qMin(next, p.dueMs);
        m_timer.start(int(qMax<qint64>(0, next - m_clock.elapsed())));
    }

    void checkDue()
    {
        const qint64 now = m_clock.elapsed();
        QList<Pending> due;
        for (int i = m_pending.size() - 1; i >= 0; --i) {
            if (m_pending.at(i).dueMs <= now)
                due.prepend(m_pending.takeAt(i));
        }
        schedule();
        for (const Pending& p : qAsConst(due))
            check(p.window, p.showing);
    }

    void check(const QPointer<QWidget>& window, quint64 showing)
    {
        if (!window || m_showings.value(window) != showing || !window->isVisible()
            || window->property(kModalAnsweredProperty).toBool())
            return;
        const QByteArray what = QStringLiteral("dialog %1 \"%2\"%3 left unanswered for %4 ms; closing it")
                                    .arg(QString::fromLatin1(window->metaObject()->className()),
                                         window->windowTitle(),
                                         window->objectName().isEmpty()
                                             ? QString()
                                             : QStringLiteral(" (%1)").arg(window->objectName()))
                                    .arg(g_delayMs)
                                    .toLocal8Bit();
        if (QTest::currentTestFunction())
            QTest::qFail(what.constData(), __FILE__, __LINE__);
        else
            qCritical("%s", what.constData());
        // Closed, the dialog's exec() returns and the test goes on to its end.
        static_cast<QDialog*>(window.data())->reject();
    }

    QHash<QWidget*, quint64> m_showings;
    quint64 m_lastShowing = 0;
    QList<Pending> m_pending;
    QTimer m_timer;
    QElapsedTimer m_clock;
};

} // namespace

void setModalGuardDelayMs(int delayMs)
{
    g_delayMs = delayMs;
}

} // namespace testsupport

namespace {

// Every test executable has this file linked in: the guard is on from the
// application object's start, whatever main() the test has.
void installModalGuard()
{
    qApp->installEventFilter(new testsupport::ModalGuard(qApp));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installModalGuard)
