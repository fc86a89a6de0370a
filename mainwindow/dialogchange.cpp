#include "mainwindow/dialogchange.h"

#include "ui_dialogchange.h"

DialogChange::DialogChange(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::DialogChange)
{
    ui->setupUi(this);
    setFixedSize(size());
}

DialogChange::~DialogChange()
{
    delete ui;
}

void DialogChange::onUsbChanged()
{
    // The device scan comes with the home page's tiles.
}
