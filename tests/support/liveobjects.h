#pragma once
// Counts the QObjects of every class that the counting thread (the GUI
// thread) made and that are still alive, through QtCore's object hooks (the
// table debugging tools attach to). Widgets alone would miss timers, threads,
// actions and models; a walk from the top-level widgets would miss objects
// without a parent. Objects other threads make come and go on those threads'
// own schedule (the simulated library writes its state file a moment after a
// change), so they are not counted.
#include <QMutex>
#include <QSet>
#include <QStringList>
#include <QtGlobal>

class QObject;

namespace testsupport {

class LiveObjects
{
public:
    // Starts counting on the calling thread; one instance at a time. Objects
    // made before it are not seen.
    LiveObjects();
    ~LiveObjects();
    LiveObjects(const LiveObjects&) = delete;
    LiveObjects& operator=(const LiveObjects&) = delete;

    // False when this Qt has no object hooks (the counts are then 0).
    static bool available();

    // Objects made since counting started and still alive.
    int count() const;
    // Their class names, sorted, each with its number ("QTimer x2"); call it
    // on the GUI thread while no other thread is making or deleting objects.
    QStringList classes() const;

private:
    static void added(QObject* object);
    static void removed(QObject* object);

    mutable QMutex mutex;
    QSet<QObject*> objects;
    quintptr previousAdd = 0;
    quintptr previousRemove = 0;
};

} // namespace testsupport
