#pragma once
#include <QToolButton>

// A checkable tool button that reacts at the press: a left press checks it
// and emits clicked(false), a left double click checks it and emits
// clicked(true). Other mouse buttons do nothing.
class MyToolButton : public QToolButton
{
    Q_OBJECT
public:
    explicit MyToolButton(QWidget* parent = nullptr);
    ~MyToolButton() override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};
