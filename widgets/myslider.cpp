#include "widgets/myslider.h"

#include <QCoreApplication>
#include <QMouseEvent>

MySlider::MySlider(QWidget* parent)
    : QSlider(parent)
{
}

MySlider::~MySlider() = default;

int MySlider::valueAt(int x, int width, int minimum, int maximum)
{
    // A widget not laid out yet has no width to measure against.
    if (width <= 0)
        return minimum;
    const double share = static_cast<double>(x) / width;
    return static_cast<int>(minimum + share * (static_cast<double>(maximum) - minimum));
}

void MySlider::mousePressEvent(QMouseEvent* event)
{
    QSlider::mousePressEvent(event);
    setValue(valueAt(event->pos().x(), width(), minimum(), maximum()));
    if (QWidget* parent = parentWidget()) {
        QEvent pressed(static_cast<QEvent::Type>(kPressedEventType));
        QCoreApplication::sendEvent(parent, &pressed);
    }
}
