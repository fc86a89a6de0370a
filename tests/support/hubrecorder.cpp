#include "support/hubrecorder.h"

#include "core/postmsg.h"

namespace testsupport {

namespace {

QString flag(bool on)
{
    return on ? QStringLiteral("true") : QStringLiteral("false");
}

} // namespace

HubRecorder::HubRecorder()
{
    PostMsg* hub = PostMsg::GetInstance();
    auto withRecord = [this](const char* name) {
        return [this, name](FlashDataMap map) { add(QLatin1String(name), flashDataBytes(map)); };
    };
    auto withInt = [this](const char* name) {
        return [this, name](int value) { add(QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(value)); };
    };
    auto plain = [this](const char* name) { return [this, name]() { add(QLatin1String(name)); }; };

    connections << QObject::connect(hub, &PostMsg::SigUpDataLightUIButton, withRecord("SigUpDataLightUIButton"))
                << QObject::connect(hub, &PostMsg::SigUpDataLightLight, withRecord("SigUpDataLightLight"))
                << QObject::connect(hub, &PostMsg::SigUpDataLightSensor, withRecord("SigUpDataLightSensor"))
                << QObject::connect(hub, &PostMsg::SigUpDataDPILed, withRecord("SigUpDataDPILed"))
                << QObject::connect(hub, &PostMsg::SigForm, plain("SigForm"))
                << QObject::connect(hub, &PostMsg::SigFormReset, plain("SigFormReset"))
                << QObject::connect(hub, &PostMsg::SigCloseOffOnline, plain("SigCloseOffOnline"))
                << QObject::connect(hub, &PostMsg::SigCheckUpdate, plain("SigCheckUpdate"))
                << QObject::connect(hub, &PostMsg::SigUpDataParam, withInt("SigUpDataParam"))
                << QObject::connect(hub, &PostMsg::SigUpDataReportRate, withInt("SigUpDataReportRate"))
                << QObject::connect(hub, &PostMsg::SigUpDataDPI, withInt("SigUpDataDPI"))
                << QObject::connect(hub, &PostMsg::SigSetver, withInt("SigSetver"))
                << QObject::connect(hub, &PostMsg::SigChangeMainDialog, withInt("SigChangeMainDialog"))
                << QObject::connect(hub, &PostMsg::SigLightToFrom, withInt("SigLightToFrom"))
                << QObject::connect(hub, &PostMsg::SigMouseIndex, withInt("SigMouseIndex"))
                << QObject::connect(hub, &PostMsg::SigBattery,
                                    [this](bool charging, int level, bool text) {
                                        add(QStringLiteral("SigBattery(%1,%2,%3)").arg(flag(charging)).arg(level).arg(flag(text)));
                                    })
                << QObject::connect(hub, &PostMsg::SigUpDataConfigUI,
                                    [this](int total, int index, bool enable) {
                                        add(QStringLiteral("SigUpDataConfigUI(%1,%2,%3)").arg(total).arg(index).arg(flag(enable)));
                                    })
                << QObject::connect(hub, &PostMsg::SigRGBValue,
                                    [this](DongleRGB* rgb) {
                                        add(QStringLiteral("SigRGBValue(%1)").arg(rgb ? rgb->mode : -1));
                                    })
                << QObject::connect(hub, &PostMsg::SigLongRangeMode,
                                    [this](bool on) { add(QStringLiteral("SigLongRangeMode(%1)").arg(flag(on))); })
                << QObject::connect(hub, &PostMsg::SigLabelTextB, [this](QString version, QString update) {
                       add(QStringLiteral("SigLabelTextB(%1,%2)").arg(version, update));
                   });
}

HubRecorder::~HubRecorder()
{
    for (const QMetaObject::Connection& c : qAsConst(connections))
        QObject::disconnect(c);
}

void HubRecorder::add(const QString& text, const QByteArray& record)
{
    QMutexLocker lock(&mutex);
    texts << text;
    records << record;
}

QStringList HubRecorder::signalTexts() const
{
    QMutexLocker lock(&mutex);
    return texts;
}

QByteArray HubRecorder::lastRecord(const QString& signalName) const
{
    QMutexLocker lock(&mutex);
    for (int i = texts.size() - 1; i >= 0; --i) {
        if (texts.at(i) == signalName)
            return records.at(i);
    }
    return QByteArray();
}

void HubRecorder::clear()
{
    QMutexLocker lock(&mutex);
    texts.clear();
    records.clear();
}

} // namespace testsupport
