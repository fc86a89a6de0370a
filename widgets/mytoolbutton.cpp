#include "widgets/mytoolbutton.h"

#include <QMouseEvent>

MyToolButton::MyToolButton(QWidget* parent)
    : QToolButton(parent)
{
}

MyToolButton::~MyToolButton() = default;

void MyToolButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    setChecked(true);
    emit clicked(false);
}

void MyToolButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    setChecked(true);
    emit clicked(true);
}
