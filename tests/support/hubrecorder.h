#pragma once
// Records the device-facing hub signals in the order they are emitted, from
// whichever thread emits them (direct calls, before any page's slot runs when
// the recorder exists first). Each signal is kept as a text such as
// "SigBattery(true,80,true)"; record-carrying signals keep a copy of the record.
#include <QByteArray>
#include <QMetaObject>
#include <QMutex>
#include <QStringList>
#include <QVector>

namespace testsupport {

class HubRecorder
{
public:
    HubRecorder();
    ~HubRecorder();
    HubRecorder(const HubRecorder&) = delete;
    HubRecorder& operator=(const HubRecorder&) = delete;

    QStringList signalTexts() const;
    // The record of the latest emission of a record-carrying signal ("" none).
    QByteArray lastRecord(const QString& signalName) const;
    bool contains(const QString& text) const { return signalTexts().contains(text); }
    void clear();

private:
    void add(const QString& text, const QByteArray& record = QByteArray());

    mutable QMutex mutex;
    QStringList texts;
    QVector<QByteArray> records;
    QVector<QMetaObject::Connection> connections;
};

} // namespace testsupport
