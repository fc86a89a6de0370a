#pragma once
// The device page frame: the open device's pages, battery state and the
// back, minimise and close buttons.
#include <QWidget>

namespace Ui {
class Dialog;
}

class Dialog : public QWidget
{
    Q_OBJECT
public:
    explicit Dialog(QWidget* parent = nullptr);
    ~Dialog() override;

private:
    Ui::Dialog* ui;
};
