#pragma once
// driver_sensor.h: which sensor models offer each optional feature, and the
// register code of each DPI a sensor accepts. Lines are "#define", a blank,
// a name, a tab and a value; the sensor page and the button page both read
// the file with the same line rules.

#include <QString>
#include <QStringList>
#include <QVector>

class QIODevice;

// The six feature switches, in the order a line is tested for them.
enum SensorFeature {
    FeatureSensorModeSel,
    FeatureLodCal,
    FeatureRipple,
    FeatureFixLine,
    FeatureMotionSync,
    FeatureMousepadCal,
    kSensorFeatureCount
};

// "SUPPORT_SENSOR_MODE_SEL", "SUPPORT_LOD_CAL", ... by feature.
QString sensorFeatureName(SensorFeature feature);

// The value of each switch: free text naming the models that offer it.
struct SensorFeatureSwitches
{
    QString values[kSensorFeatureCount];

    // A model is listed when the switch's text contains it (case-sensitive);
    // an empty model text is therefore listed everywhere.
    bool lists(SensorFeature feature, const QString& model) const;
};

// Define names and their integer values in file order. A name may occur more
// than once; lookups take the first.
struct SensorDefineTable
{
    QStringList names;
    QVector<int> values;

    void append(const QString& name, int value);
    // Index of the first define named exactly `name`, or -1.
    int indexOf(const QString& name) const;
    // True when some define name contains "SENSOR_" + model + "_DPI".
    bool hasDpiDefines(const QString& model) const;
};

// The highest DPI a register define may name: the DPI number box's maximum.
// A define naming a DPI outside 0..kDpiDefineMax is skipped when the file is
// read, with one warning line, so no DPI arithmetic meets a huge number.
constexpr int kDpiDefineMax = 100000;

// The DPI that a register define's name gives: the text after its first
// capital I and one more character, as a decimal number ("SENSOR_3950_DPI_400"
// gives 400); 0 when that text is no number, -1 when it is a number outside
// 0..kDpiDefineMax.
int dpiOfDefineName(const QString& name);

// The defines of the installation's file (loadSensorDefineTable).
extern SensorDefineTable sensorDefineTable;

// installDir() + "/driver_sensor.h".
QString sensorDefinitionPath();

// Reads the installation's defines into sensorDefineTable while it is empty.
// Both device pages call it; whichever is built first reads the file.
void loadSensorDefineTable();

// Reads the lines of an open text device and appends what they give:
// switches (when given) take the switch lines, defines (when given) the
// define and commented define lines. Other lines are skipped.
void readSensorDefinitions(QIODevice* device, SensorFeatureSwitches* switches, SensorDefineTable* defines);
// The same for a file; a file that cannot be opened gives nothing.
void readSensorDefinitions(const QString& path, SensorFeatureSwitches* switches, SensorDefineTable* defines);
