#include "mainwindow/dialog.h"

#include "ui_dialog.h"

Dialog::Dialog(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::Dialog)
{
    ui->setupUi(this);
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint);
    setFixedSize(size());
}

Dialog::~Dialog()
{
    delete ui;
}
