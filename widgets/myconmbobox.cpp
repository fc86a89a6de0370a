#include "widgets/myconmbobox.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>

MyConmboBox::MyConmboBox(QWidget* parent)
    : QComboBox(parent)
{
}

MyConmboBox::~MyConmboBox() = default;

void MyConmboBox::mousePressEvent(QMouseEvent* event)
{
    previousIndex = currentIndex();
    QComboBox::mousePressEvent(event);
}

void MyConmboBox::paintEvent(QPaintEvent*)
{
    QStyleOptionComboBox option;
    {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::Text));
        initStyleOption(&option);
        style()->drawComplexControl(QStyle::CC_ComboBox, &option, &painter, this);
        if (option.editable) {
            style()->drawControl(QStyle::CE_ComboBoxLabel, &option, &painter, this);
            return;
        }
    }
    // The push-button label centres text and icon, where the combo label
    // would align them left.
    QStyleOptionButton label;
    label.initFrom(this);
    label.rect = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    label.text = option.currentText;
    label.icon = option.currentIcon;
    label.iconSize = option.iconSize;
    QPainter painter(this);
    style()->drawControl(QStyle::CE_PushButtonLabel, &label, &painter, this);
}
