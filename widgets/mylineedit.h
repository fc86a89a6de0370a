#pragma once
#include <QLineEdit>

// A read-only capture display: typed keys neither edit it nor reach the
// dialog behind it. Its owner sets the text from the keys it captures.
class MyLineEdit : public QLineEdit
{
public:
    explicit MyLineEdit(QWidget* parent = nullptr);
    ~MyLineEdit() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
};
