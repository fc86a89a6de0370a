#pragma once
#include <QToolButton>

// A home-page tile button. When the pointer enters it, it reports the tile
// index in its object name ("btn" + index) to the home page's hover handler.
class mytoolButtonEnter : public QToolButton
{
    Q_OBJECT
public:
    using HoverHandler = void (*)(int tileIndex);

    explicit mytoolButtonEnter(QWidget* parent = nullptr);
    ~mytoolButtonEnter() override;

    // The home page installs its static tile-hover handler here; without one
    // a hover does nothing.
    static void setHoverHandler(HoverHandler handler);
    static HoverHandler hoverHandler();

    // The tile index in an object name: "btn" removed, the rest in base 10,
    // 0 when it is not a number.
    static int tileIndex(const QString& objectName);

protected:
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
};
