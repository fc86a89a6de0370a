#include "widgets/fontscale.h"

#include <QFont>
#include <QToolTip>
#include <QWidget>

float fontScaleFactor(double logicalDpi)
{
    if (logicalDpi <= 0)
        return 1.0f;
    return 1.0f / (float(logicalDpi) / 96.0f);
}

void scaleWidgetFonts(QWidget* widget, double factor)
{
    if (!widget)
        return;
    QFont font = widget->font();
    // A size given in pixels has no point size; it stays as it is.
    if (font.pointSizeF() > 0) {
        font.setPointSizeF(font.pointSizeF() * factor);
        if (widget->objectName() != QLatin1String("Receive_2"))
            widget->setFont(font);
        if (widget->objectName() == QLatin1String("NoApear"))
            QToolTip::setFont(font);
    }
    const QObjectList& children = widget->children();
    for (int i = 0; i < children.size(); ++i) {
        if (children.at(i)->isWidgetType())
            scaleWidgetFonts(static_cast<QWidget*>(children.at(i)), factor);
    }
}
