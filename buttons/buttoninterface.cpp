#include "buttons/buttoninterface.h"

#include "ui_buttoninterface.h"

#include "core/globals.h"
#include "core/postmsg.h"
#include "core/product.h"
#include "core/worker.h"
#include "platform/hidusb/hidusb.h"

#include <QDir>
#include <QTimer>

Buttoninterface::Buttoninterface(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::Buttoninterface)
{
    ui->setupUi(this);
    QDir().mkpath(userDir() + QStringLiteral("//usersetting/MainPage"));

    deviceWorker = new Worker(this);

    hubConnect(SIGNAL(SigMouseIndex(int)), this, SLOT(SlotMouseIndex(int)));
    hubConnect(SIGNAL(SigUpDataButtonUIC(FlashDataMap)), this, SLOT(SlotUpDataButtonUIB(FlashDataMap)));
    hubConnect(SIGNAL(SigAddMacroButton()), this, SLOT(SlotAddMacroButton()));
    hubConnect(SIGNAL(SigDeleteMacroButton(QString)), this, SLOT(SlotDeleteMacroButton(QString)));
    hubConnect(SIGNAL(SigUpDataMacro(QString,int)), this, SLOT(SlotUpDataMacro(QString,int)));
    hubConnect(SIGNAL(SigMacroRename(QString,QString)), this, SLOT(SlotMacroRename(QString,QString)));
    hubConnect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    hubConnect(SIGNAL(SigUpDataLightUIButton(FlashDataMap)), this, SLOT(SlotUpDataButtonUIButton(FlashDataMap)),
               Qt::BlockingQueuedConnection);
    hubConnect(SIGNAL(SigUpDataConfigUI(int,int,bool)), this, SLOT(SlotUpDataConfigUI(int,int,bool)),
               Qt::BlockingQueuedConnection);
    hubConnect(SIGNAL(SigFormReset()), this, SLOT(SlotFormResetButton()), Qt::BlockingQueuedConnection);

    SlotAllLanguage(languageIndex);
}

Buttoninterface::~Buttoninterface()
{
    Worker::clearRunFlag();
    if (deviceWorker) {
        Worker* worker = deviceWorker;
        worker->deleteLater();
        // Until the deferred deletion nothing may start another pass.
        worker->onlineTimer()->stop();
        worker->waitForPass();
    }
    StopUsbChanged();
    delete ui;
}

void Buttoninterface::fillFromRecord(const FlashDataMap& record)
{
    PostMsg::GetInstance()->PostLightToFrom(record.sleepTime * 10);
}

void Buttoninterface::SlotUpDataButtonUIButton(FlashDataMap DataMap)
{
    buttonPageUpdated = 0;
    buttonPageFilling = 1;
    fillFromRecord(DataMap);
    buttonPageFilling = 0;
    buttonPageUpdated = 1;
}

void Buttoninterface::SlotUpDataButtonUIB(FlashDataMap DataMap)
{
    buttonPageFilling = 1;
    fillFromRecord(DataMap);
    buttonPageFilling = 0;
}

void Buttoninterface::SlotFormResetButton()
{
    buttonPageFilling = 1;
    PostMsg* hub = PostMsg::GetInstance();
    hub->PostLightToFrom(60);
    hub->PostMouseIndex(0);
    buttonPageFilling = 0;
}

void Buttoninterface::SlotUpDataConfigUI(int /*ToTalItem*/, int /*SelectIndex*/, bool /*ItemEnable*/)
{
}

void Buttoninterface::SlotMouseIndex(int /*index*/)
{
}

void Buttoninterface::SlotAddMacroButton()
{
}

void Buttoninterface::SlotDeleteMacroButton(QString /*MacroName*/)
{
}

void Buttoninterface::SlotUpDataMacro(QString /*MacroName*/, int /*index*/)
{
}

void Buttoninterface::SlotMacroRename(QString /*Rename*/, QString /*Name*/)
{
}

void Buttoninterface::SlotAllLanguage(int /*index*/)
{
}
