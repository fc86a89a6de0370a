#pragma once
// Font scaling of pixel-fixed layouts: the program's window at start and each
// dialog as it is built scale their fonts by the same factor.

class QWidget;

// 96 / logical DPI, the factor that keeps pixel-fixed layouts in shape.
float fontScaleFactor(double logicalDpi);

// Multiplies the font sizes of a widget tree by `factor` (pre-order).
void scaleWidgetFonts(QWidget* widget, double factor);
