// driver_sensor.h: the feature switch lines and the DPI register defines, read
// as the sensor and button pages read them; then every stage code a define
// names decoded, and every DPI a define names encoded again, under each range
// rule of the catalogue.
#include "fuzzsupport.h"

#include "sensor/dpiencoding.h"

#include <QBuffer>
#include <QRegularExpression>
#include <QSet>

namespace {

// Enough defines and models to reach every path without quadratic slowness
// on a file of many thousand lines.
const int kMostDefines = 256;
const int kMostModels = 4;

// The catalogue's range tables: 0x33 (four ranges), 0x22 and 0x11 (two).
QVector<DpiRangeTable> rangeTables()
{
    QVector<DpiRangeTable> tables;
    const QStringList items = QStringLiteral("50,10000,50,10100,20000,100,20200,22000,200,22200,26000,200").split(',');
    for (const char* mode : {"0x33", "0x22", "0x11", "0"}) {
        DpiRangeTable table;
        QString minText, maxText;
        refillDpiRangeTable(items + QStringList(QLatin1String(mode)), &table, &minText, &maxText);
        tables.append(table);
    }
    return tables;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QVector<DpiRangeTable> tables = rangeTables();
    QByteArray text = fuzz::bytes(data, size);
    QBuffer buffer(&text);
    buffer.open(QIODevice::ReadOnly | QIODevice::Text);
    SensorFeatureSwitches switches;
    SensorDefineTable defines;
    readSensorDefinitions(&buffer, &switches, &defines);
    fuzz::check(defines.names.size() == defines.values.size(), "define names and values out of step");

    QStringList models = {QStringLiteral("3395"), QStringLiteral("3950")};
    static const QRegularExpression modelPattern(QStringLiteral("SENSOR_(.*)_DPI"));
    for (int i = 0; i < defines.names.size() && models.size() < kMostModels; ++i) {
        const QRegularExpressionMatch m = modelPattern.match(defines.names.at(i));
        if (m.hasMatch() && !models.contains(m.captured(1)))
            models.append(m.captured(1));
    }
    for (const QString& model : qAsConst(models)) {
        for (int f = 0; f < kSensorFeatureCount; ++f)
            (void)switches.lists(SensorFeature(f), model);
        QSet<int> dpis;
        const int count = qMin(defines.values.size(), kMostDefines);
        // A stage keeps its code in a byte: the codes the defines name, as bytes.
        for (int i = 0; i < count; ++i) {
            for (int flags : {0, 0x22, 0x11, 0x33, 0xcc})
                dpis.insert(decodeDpiStage(quint8(defines.values.at(i)), flags, model, defines));
        }
        for (const DpiRangeTable& table : tables) {
            for (int dpi : qAsConst(dpis)) {
                DpiStageCode code;
                if (dpiStageCode(dpi, 0, model, table, defines, &code) && defines.hasDpiDefines(model))
                    fuzz::check(decodeDpiStage(code.code, code.flags, model, defines) == dpi,
                                "an encoded stage decodes to another DPI");
            }
        }
    }
    return 0;
}
