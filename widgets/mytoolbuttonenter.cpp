#include "widgets/mytoolbuttonenter.h"

namespace {
mytoolButtonEnter::HoverHandler g_hoverHandler = nullptr;
}

mytoolButtonEnter::mytoolButtonEnter(QWidget* parent)
    : QToolButton(parent)
{
}

mytoolButtonEnter::~mytoolButtonEnter() = default;

void mytoolButtonEnter::setHoverHandler(HoverHandler handler)
{
    g_hoverHandler = handler;
}

mytoolButtonEnter::HoverHandler mytoolButtonEnter::hoverHandler()
{
    return g_hoverHandler;
}

int mytoolButtonEnter::tileIndex(const QString& objectName)
{
    QString number = objectName;
    number.remove(QStringLiteral("btn"));
    return number.toInt(nullptr, 10);
}

void mytoolButtonEnter::enterEvent(QEvent*)
{
    if (g_hoverHandler)
        g_hoverHandler(tileIndex(objectName()));
}

void mytoolButtonEnter::leaveEvent(QEvent*)
{
}
