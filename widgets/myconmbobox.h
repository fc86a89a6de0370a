#pragma once
#include <QComboBox>

// The pages' combo box: draws its text centred, and remembers the index it
// had at the last mouse press so that a page can undo a choice the device
// refused.
class MyConmboBox : public QComboBox
{
public:
    explicit MyConmboBox(QWidget* parent = nullptr);
    ~MyConmboBox() override;

    int previousIndex = 0;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};
