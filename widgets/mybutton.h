#pragma once
#include <QPushButton>

// A push button that shows the pointing hand while the pointer is over it.
class MyButton : public QPushButton
{
public:
    explicit MyButton(QWidget* parent = nullptr);
    ~MyButton() override;

protected:
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
};
