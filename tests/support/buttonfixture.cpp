#include "support/buttonfixture.h"

#include "support/devicefixture.h"
#include "support/widgetprobe.h"
#include "buttons/buttoninterface.h"
#include "core/globals.h"
#include "core/languagetable.h"
#include "core/product.h"
#include "core/settings.h"
#include "platform/hidusb/simcontrol.h"
#include "sensor/sensor.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QToolButton>

namespace testsupport {

const char* const kButtonRows[12] = {"FireKey", "RightKey", "BackKey", "TopMusic", "StartPause", "BackMusic",
                                     "Button7", "Button8", "Button9", "Button10", "Button11", "Button12"};

QString buttonCaption(Buttoninterface* page, int deviceIndex)
{
    return child<QToolButton>(page, kButtonRows[deviceIndex])->text();
}

void loadInstalledLanguages()
{
    clearLanguageTables();
    LanguageLoader().loadLanguageFiles(installDir() + QStringLiteral("/Language"));
}

void writeMacroFiles(const QStringList& fileNames)
{
    const QString folder = userDir() + QStringLiteral("/usersetting/MacroPage");
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    for (const QString& name : fileNames) {
        QFile file(folder + QLatin1Char('/') + name);
        file.open(QIODevice::WriteOnly);
        file.write("1\n");
    }
}

void startButtonPageTest()
{
    hidsim::resetToDefaultBus();
    resetDeviceState();
    ConfigSettings::resetForTests();
    currentDevice.modelIndex = 1;
    languageIndex = 0;
    writeMacroFiles({});
}

void endButtonPageTest()
{
    ConfigSettings::resetForTests();
    currentDevice = DeviceAllInfo();
    languageIndex = 0;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace testsupport
