#pragma once
// The home page: one tile per found device.
#include <QWidget>

namespace Ui {
class DialogChange;
}

class DialogChange : public QWidget
{
    Q_OBJECT
public:
    explicit DialogChange(QWidget* parent = nullptr);
    ~DialogChange() override;

    // The home page's plug/unplug callback, registered with StartUsbChanged
    // while the home page is shown; it rescans the devices.
    static void onUsbChanged();

private:
    Ui::DialogChange* ui;
};
