#pragma once
#include <QSlider>

// The DPI value slider: a press jumps the value to the pressed position.
class MySlider : public QSlider
{
public:
    explicit MySlider(QWidget* parent = nullptr);
    ~MySlider() override;

    // The event type sent to the parent after a press, for a parent that filters it.
    static constexpr int kPressedEventType = 1001;

    // The value a press at x on a slider of the given width jumps to.
    static int valueAt(int x, int width, int minimum, int maximum);

protected:
    void mousePressEvent(QMouseEvent* event) override;
};
