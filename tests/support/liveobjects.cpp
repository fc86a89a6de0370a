#include "support/liveobjects.h"

#include <QMap>
#include <QObject>

#include <thread>

// QtCore's hook table (qhooks_p.h, a private header): version, size, Qt
// version, then the callbacks run by every QObject's constructor and
// destructor.
extern quintptr Q_CORE_EXPORT qtHookData[];

namespace testsupport {

namespace {

enum HookIndex { HookDataVersion = 0, HookDataSize = 1, AddQObject = 3, RemoveQObject = 4 };
using ObjectHook = void (*)(QObject*);

LiveObjects* current = nullptr;
std::thread::id countedThread;

} // namespace

bool LiveObjects::available()
{
    return qtHookData[HookDataVersion] >= 1 && qtHookData[HookDataSize] > RemoveQObject;
}

LiveObjects::LiveObjects()
{
    Q_ASSERT(!current);
    if (!available())
        return;
    countedThread = std::this_thread::get_id();
    current = this;
    previousAdd = qtHookData[AddQObject];
    previousRemove = qtHookData[RemoveQObject];
    qtHookData[AddQObject] = reinterpret_cast<quintptr>(&LiveObjects::added);
    qtHookData[RemoveQObject] = reinterpret_cast<quintptr>(&LiveObjects::removed);
}

LiveObjects::~LiveObjects()
{
    if (current != this)
        return;
    qtHookData[AddQObject] = previousAdd;
    qtHookData[RemoveQObject] = previousRemove;
    current = nullptr;
}

void LiveObjects::added(QObject* object)
{
    LiveObjects* self = current;
    if (!self)
        return;
    if (std::this_thread::get_id() == countedThread) {
        QMutexLocker lock(&self->mutex);
        self->objects.insert(object);
    }
    if (self->previousAdd)
        reinterpret_cast<ObjectHook>(self->previousAdd)(object);
}

void LiveObjects::removed(QObject* object)
{
    LiveObjects* self = current;
    if (!self)
        return;
    {
        QMutexLocker lock(&self->mutex);
        self->objects.remove(object);
    }
    if (self->previousRemove)
        reinterpret_cast<ObjectHook>(self->previousRemove)(object);
}

int LiveObjects::count() const
{
    QMutexLocker lock(&mutex);
    return objects.size();
}

QStringList LiveObjects::classes() const
{
    QMap<QString, int> counts;
    {
        QMutexLocker lock(&mutex);
        for (QObject* object : objects)
            ++counts[QString::fromLatin1(object->metaObject()->className())];
    }
    QStringList out;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        out << it.key() + QStringLiteral(" x") + QString::number(it.value());
    return out;
}

} // namespace testsupport
