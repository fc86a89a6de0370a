#include "core/configfile.h"

#include <QDataStream>
#include <QDebug>
#include <QFile>
#include <QSaveFile>

QString configBlockText(const QByteArray& block)
{
    const int end = block.indexOf('\0');
    return QString::fromLatin1(end < 0 ? block : block.left(end));
}

QByteArray configTextBlock(const QByteArray& text)
{
    QByteArray block = text.left(kConfigTextBlockSize);
    block.append(QByteArray(kConfigTextBlockSize - block.size(), '\0'));
    return block;
}

bool writeConfigFile(const QString& path, const QByteArray& sensorName, const FlashDataMap& record)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QDataStream stream(&file);
    const QByteArray tag = configTextBlock(QByteArray(kConfigFileTag));
    const QByteArray sensor = configTextBlock(sensorName);
    const QByteArray data = flashDataBytes(record);
    stream.writeBytes(tag.constData(), uint(tag.size()));
    stream.writeBytes(sensor.constData(), uint(sensor.size()));
    stream.writeBytes(data.constData(), uint(data.size()));
    if (stream.status() != QDataStream::Ok) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

ConfigFileResult readConfigFile(const QString& path, const QString& sensorName, int maxDpiStages,
                                FlashDataMap* out)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qDebug() << "failed";
        return ConfigFileUnreadable;
    }
    // QDataStream reads a length-prefixed block in steps and stops at the
    // file's end, so a lying length never reads or allocates past the file.
    QDataStream stream(&file);
    QByteArray tag, sensor, data;
    stream >> tag >> sensor >> data;
    file.close();

    if (configBlockText(tag) != QLatin1String(kConfigFileTag))
        return ConfigFileUnreadable;
    if (stream.status() != QDataStream::Ok)
        return ConfigFileUnreadable;
    if (configBlockText(sensor) != sensorName)
        return ConfigFileMismatch;
    FlashDataMap record;
    if (!flashDataFromBytes(data, &record) || !recordCountsInBounds(record))
        return ConfigFileUnreadable;
    if (int(record.dpiStageCount) > maxDpiStages)
        return ConfigFileMismatch;
    *out = record;
    return ConfigFileAccepted;
}
