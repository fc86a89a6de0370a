#include "core/waits.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>

void waitWithEvents(int ms)
{
    // Blocks until an event or the deadline comes, never polls. A precise
    // timer does not fire early, so its end is the deadline; a wait nested in
    // an event handled here ends on its own timer, and this one sees its own
    // timer gone when control comes back.
    QTimer deadline;
    deadline.setTimerType(Qt::PreciseTimer);
    deadline.setSingleShot(true);
    deadline.start(std::max(ms, 0));
    while (deadline.isActive())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}
