#include "core/waits.h"

#include <QCoreApplication>
#include <QElapsedTimer>

void waitWithEvents(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
}
