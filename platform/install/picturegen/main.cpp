// picturegen: draws the skin pictures listed in pictures.txt into
// <output>/<folder>/<name>. Usage: picturegen <table> <output folder>
#include "picturetable.h"

#include <QDir>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <cstdio>
#include <functional>
#include <map>

namespace {

QStringList problems;

void complain(const picturetable::Row& row, const QString& what)
{
    problems << QStringLiteral("line %1 (%2/%3): %4").arg(row.line).arg(row.folder, row.name, what);
}

// ---------------------------------------------------------------- colours

QColor parseHex(const QString& text)
{
    // "#rrggbbaa" is read here: QColor would take eight digits as #aarrggbb.
    if (text.size() == 9 && text.startsWith(QLatin1Char('#'))) {
        bool ok = false;
        const uint v = text.midRef(1).toUInt(&ok, 16);
        if (ok)
            return QColor(int(v >> 24), int((v >> 16) & 0xff), int((v >> 8) & 0xff), int(v & 0xff));
        return QColor();
    }
    return text.size() == 7 ? QColor(text) : QColor();
}

struct Palette
{
    QHash<QString, QString> names;

    QColor colour(const picturetable::Row& row, const QString& text) const
    {
        const QColor c = parseHex(text.startsWith(QLatin1Char('@')) ? names.value(text) : text);
        if (!c.isValid())
            complain(row, QStringLiteral("unknown colour \"%1\"").arg(text));
        return c;
    }
};

// ---------------------------------------------------------------- shapes

struct Brushes
{
    QBrush fill = Qt::NoBrush;
    QColor top;         // first colour of the fill, for derived shades
    QPen border = Qt::NoPen;
};

Brushes brushes(const picturetable::Row& row, const Palette& palette)
{
    Brushes b;
    if (row.fill != QLatin1String("-")) {
        const QStringList stops = row.fill.split(QLatin1Char('>'));
        b.top = palette.colour(row, stops.first());
        if (stops.size() == 2) {
            QLinearGradient g(0, 0, 0, row.size.height());
            g.setColorAt(0, b.top);
            g.setColorAt(1, palette.colour(row, stops.last()));
            b.fill = g;
        } else {
            b.fill = b.top;
        }
    }
    if (row.border != QLatin1String("-")) {
        const QStringList parts = row.border.split(QLatin1Char('/'));
        QPen pen(palette.colour(row, parts.first()));
        pen.setWidthF(parts.size() == 2 ? parts.last().toDouble() : 1.0);
        pen.setJoinStyle(Qt::RoundJoin);
        b.border = pen;
    }
    return b;
}

// The rectangle a border of this width is stroked on, inside the picture.
QRectF strokeRect(const QSize& size, const QPen& pen)
{
    const qreal half = pen.style() == Qt::NoPen ? 0 : pen.widthF() / 2;
    return QRectF(QPointF(0, 0), QSizeF(size)).adjusted(half, half, -half, -half);
}

void drawSpectrum(QPainter& p, const QRectF& r)
{
    QLinearGradient hue(r.topLeft(), r.topRight());
    for (int i = 0; i <= 6; ++i)
        hue.setColorAt(i / 6.0, QColor::fromHsv((i * 60) % 360, 255, 255));
    p.fillRect(r, hue);
    // Light at the top, dark at the bottom, pure colours across the middle.
    QLinearGradient shade(r.topLeft(), r.bottomLeft());
    shade.setColorAt(0.0, QColor(255, 255, 255, 230));
    shade.setColorAt(0.35, QColor(255, 255, 255, 0));
    shade.setColorAt(0.65, QColor(0, 0, 0, 0));
    shade.setColorAt(1.0, QColor(0, 0, 0, 230));
    p.fillRect(r, shade);
}

void drawShape(QPainter& p, const picturetable::Row& row, const Brushes& b)
{
    const QStringList parts = row.shape.split(QLatin1Char(':'));
    const QString kind = parts.first();
    const QRectF r = strokeRect(row.size, b.border);
    const qreal shortSide = qMin(row.size.width(), row.size.height());
    auto param = [&](int i, qreal fallback) { return parts.size() > i ? parts.at(i).toDouble() : fallback; };
    p.setBrush(b.fill);
    p.setPen(b.border);
    if (kind == QLatin1String("none")) {
        // Glyphs only.
    } else if (kind == QLatin1String("rect")) {
        p.drawRect(r);
    } else if (kind == QLatin1String("round")) {
        const qreal radius = param(1, qMin(6.0, shortSide * 0.22));
        p.drawRoundedRect(r, radius, radius);
    } else if (kind == QLatin1String("pill")) {
        p.drawRoundedRect(r, r.height() / 2, r.height() / 2);
    } else if (kind == QLatin1String("circle")) {
        const qreal d = qMin(r.width(), r.height());
        p.drawEllipse(QRectF(r.center() - QPointF(d / 2, d / 2), QSizeF(d, d)));
    } else if (kind == QLatin1String("panel") || kind == QLatin1String("banded")) {
        const qreal radius = kind == QLatin1String("panel") ? param(1, 0) : 0;
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(r, radius, radius);
        if (kind == QLatin1String("banded")) {
            // A slightly lighter title band and side band, split by a hairline.
            const qreal top = param(1, 0);
            const qreal left = param(2, 0);
            const QColor band = QColor(b.top).lighter(125);
            p.fillRect(QRectF(0, 0, row.size.width(), top), band);
            QLinearGradient side(0, 0, left, 0);
            side.setColorAt(0, QColor(band.red(), band.green(), band.blue(), 160));
            side.setColorAt(1, QColor(band.red(), band.green(), band.blue(), 0));
            p.fillRect(QRectF(0, top, left, row.size.height() - top), side);
            p.setPen(QPen(b.border.color(), 1));
            p.drawLine(QPointF(0, top - 0.5), QPointF(row.size.width(), top - 0.5));
        }
        // A faint highlight along the top edge gives the panel some depth.
        p.setPen(QPen(QColor(255, 255, 255, 18), 1));
        p.drawLine(QPointF(radius + 1, 1.5), QPointF(row.size.width() - radius - 1, 1.5));
        p.setBrush(Qt::NoBrush);
        p.setPen(b.border);
        p.drawRoundedRect(r, radius, radius);
    } else if (kind == QLatin1String("spectrum")) {
        drawSpectrum(p, QRectF(QPointF(0, 0), QSizeF(row.size)));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r);
    } else {
        complain(row, QStringLiteral("unknown shape \"%1\"").arg(kind));
    }
}

// ---------------------------------------------------------------- glyphs
// Each glyph draws into a box in unit coordinates: (0,0) top left, (1,1)
// bottom right. Line widths are fractions of the box, so one drawing serves
// every size.

struct Glyph
{
    QPainter& p;
    QRectF box;
    QColor ink;
    QColor back;  // the shape's fill under the glyph, invalid when none

    QPointF at(qreal x, qreal y) const { return box.topLeft() + QPointF(x * box.width(), y * box.height()); }
    QRectF rect(qreal x, qreal y, qreal w, qreal h) const { return QRectF(at(x, y), at(x + w, y + h)); }
    qreal unit() const { return qMin(box.width(), box.height()); }

    void pen(qreal width) const
    {
        QPen pen(ink, qMax(1.0, width * unit()), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
    }
    void solid() const
    {
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
    }
    void line(std::initializer_list<QPointF> points, qreal width) const
    {
        pen(width);
        p.drawPolyline(QVector<QPointF>(points).constData(), int(points.size()));
    }
    void circle(qreal x, qreal y, qreal radius) const
    {
        const qreal r = radius * unit();
        p.drawEllipse(at(x, y), r, r);
    }
};

QPainterPath mouseBody(const Glyph& g)
{
    QPainterPath body;
    body.moveTo(g.at(0.5, 0.0));
    body.cubicTo(g.at(0.8, 0.0), g.at(0.9, 0.14), g.at(0.92, 0.36));
    body.cubicTo(g.at(0.95, 0.72), g.at(0.82, 1.0), g.at(0.5, 1.0));
    body.cubicTo(g.at(0.18, 1.0), g.at(0.05, 0.72), g.at(0.08, 0.36));
    body.cubicTo(g.at(0.1, 0.14), g.at(0.2, 0.0), g.at(0.5, 0.0));
    return body;
}

// A mouse seen from above, front at the top; box has the mouse's proportions.
void drawMouse(const Glyph& g)
{
    const QPainterPath body = mouseBody(g);
    const bool large = g.box.height() > 60;
    QLinearGradient shade(g.at(0, 0), g.at(0, 1));
    QColor light = g.ink;
    light.setAlpha(large ? 70 : 40);
    QColor dark = g.ink;
    dark.setAlpha(8);
    shade.setColorAt(0, light);
    shade.setColorAt(1, dark);
    g.p.setPen(Qt::NoPen);
    g.p.setBrush(shade);
    g.p.drawPath(body);
    const qreal stroke = large ? 0.022 : 0.09;
    g.pen(stroke);
    g.p.drawPath(body);
    // Button split and the seam behind the buttons.
    g.line({g.at(0.5, 0.02), g.at(0.5, 0.36)}, stroke);
    QPainterPath seam;
    seam.moveTo(g.at(0.085, 0.37));
    seam.quadTo(g.at(0.5, 0.45), g.at(0.915, 0.37));
    g.p.drawPath(seam);
    if (!large)
        return;
    // Wheel, side buttons and a lit stripe: detail only where there is room.
    g.solid();
    const QRectF wheel = g.rect(0.455, 0.1, 0.09, 0.17);
    g.p.drawRoundedRect(wheel, wheel.width() / 2, wheel.width() / 2);
    g.pen(stroke * 0.8);
    g.p.drawRoundedRect(g.rect(0.02, 0.42, 0.05, 0.09), 2, 2);
    g.p.drawRoundedRect(g.rect(0.02, 0.53, 0.05, 0.09), 2, 2);
    g.line({g.at(0.38, 0.82), g.at(0.62, 0.82)}, stroke * 1.4);
}

void drawGear(const Glyph& g)
{
    QPainterPath gear;
    const int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const qreal angle = M_PI * i / teeth;
        // Each tooth is a plateau: two points at the outer radius, two inner.
        for (qreal shift : {-0.22, 0.22}) {
            const qreal a = angle + shift * M_PI / teeth;
            const qreal radius = (i % 2 == 0) ? 0.48 : 0.36;
            const QPointF point = g.at(0.5 + radius * qCos(a), 0.5 + radius * qSin(a));
            if (gear.elementCount() == 0)
                gear.moveTo(point);
            else
                gear.lineTo(point);
        }
    }
    gear.closeSubpath();
    gear.addEllipse(g.at(0.5, 0.5), 0.15 * g.unit(), 0.15 * g.unit());
    gear.setFillRule(Qt::OddEvenFill);
    g.solid();
    g.p.drawPath(gear);
}

void drawWifi(const Glyph& g)
{
    g.pen(0.1);
    for (qreal radius : {0.22, 0.45, 0.68}) {
        const QRectF r(g.at(0.5 - radius, 0.86 - radius), g.at(0.5 + radius, 0.86 + radius));
        g.p.drawArc(r, 45 * 16, 90 * 16);
    }
    g.solid();
    g.circle(0.5, 0.84, 0.08);
}

void drawWrench(const Glyph& g)
{
    g.line({g.at(0.2, 0.8), g.at(0.58, 0.42)}, 0.17);
    QPainterPath head;
    head.addEllipse(g.at(0.66, 0.34), 0.25 * g.unit(), 0.25 * g.unit());
    QPainterPath jaw;
    jaw.addEllipse(g.at(0.8, 0.2), 0.14 * g.unit(), 0.14 * g.unit());
    g.solid();
    g.p.drawPath(head.subtracted(jaw));
}

void drawQuestion(const Glyph& g)
{
    g.pen(0.13);
    QPainterPath hook;
    hook.moveTo(g.at(0.28, 0.32));
    hook.arcTo(g.rect(0.28, 0.1, 0.44, 0.44), 180, -270);
    hook.lineTo(g.at(0.5, 0.64));
    g.p.drawPath(hook);
    g.solid();
    g.circle(0.5, 0.85, 0.08);
}

void drawExclaim(const Glyph& g)
{
    g.solid();
    g.circle(0.5, 0.5, 0.5);
    // Cut the mark out of the disc, so it shows whatever lies behind.
    g.p.setCompositionMode(QPainter::CompositionMode_Clear);
    g.p.setBrush(Qt::black);
    g.p.drawRoundedRect(g.rect(0.42, 0.18, 0.16, 0.42), 1, 1);
    g.circle(0.5, 0.76, 0.09);
    g.p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void drawKeyboard(const Glyph& g)
{
    g.pen(0.075);
    g.p.drawRoundedRect(g.rect(0.04, 0.22, 0.92, 0.58), 0.08 * g.unit(), 0.08 * g.unit());
    g.solid();
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 4; ++col)
            g.p.drawRect(g.rect(0.17 + col * 0.19, 0.34 + row * 0.14, 0.09, 0.08));
    g.p.drawRect(g.rect(0.3, 0.63, 0.4, 0.07));
}

void drawBattery(const Glyph& g)
{
    // The outline only: the widget's progress bar fills the inside.
    const qreal nub = 3;
    const QRectF body = QRectF(g.box.left() + 0.75, g.box.top() + 0.75, g.box.width() - nub - 2, g.box.height() - 1.5);
    g.p.setPen(QPen(g.ink, 1.5));
    g.p.setBrush(Qt::NoBrush);
    g.p.drawRoundedRect(body, 2, 2);
    g.solid();
    g.p.drawRoundedRect(QRectF(body.right() + 1, g.box.center().y() - g.box.height() * 0.2, nub - 0.5,
                               g.box.height() * 0.4), 1, 1);
}

void drawBolt(const Glyph& g)
{
    const QPointF points[] = {g.at(0.02, 0.62), g.at(0.56, 0.02), g.at(0.5, 0.42),
                              g.at(0.98, 0.38), g.at(0.44, 0.98), g.at(0.5, 0.58)};
    g.p.setPen(QPen(QColor(0, 0, 0, 160), 0.8));
    g.p.setBrush(g.ink);
    g.p.drawPolygon(points, 6);
}

using GlyphDraw = std::function<void(const Glyph&)>;

// Glyph name -> drawing, and whether it fills the whole box instead of a
// centred square.
struct GlyphKind
{
    GlyphDraw draw;
    bool fullBox = false;
    qreal aspect = 0;  // width / height of the drawing, 0 for the box's own
};

const std::map<QString, GlyphKind>& glyphKinds()
{
    static const std::map<QString, GlyphKind> kinds = {
        {QStringLiteral("cross"), {[](const Glyph& g) {
             g.line({g.at(0.22, 0.22), g.at(0.78, 0.78)}, 0.12);
             g.line({g.at(0.78, 0.22), g.at(0.22, 0.78)}, 0.12);
         }}},
        {QStringLiteral("minus"), {[](const Glyph& g) { g.line({g.at(0.22, 0.5), g.at(0.78, 0.5)}, 0.12); }}},
        {QStringLiteral("plus"), {[](const Glyph& g) {
             g.line({g.at(0.2, 0.5), g.at(0.8, 0.5)}, 0.12);
             g.line({g.at(0.5, 0.2), g.at(0.5, 0.8)}, 0.12);
         }}},
        {QStringLiteral("bar"), {[](const Glyph& g) {
             const qreal width = qMin(g.box.height() * 0.6, 2.4);
             g.p.setPen(QPen(g.ink, width, Qt::SolidLine, Qt::RoundCap));
             g.p.drawLine(g.at(0.08, 0.5), g.at(0.92, 0.5));
         }, true}},
        {QStringLiteral("check"), {[](const Glyph& g) {
             g.line({g.at(0.2, 0.52), g.at(0.42, 0.74), g.at(0.8, 0.3)}, 0.15);
         }}},
        {QStringLiteral("dot"), {[](const Glyph& g) {
             g.solid();
             g.circle(0.5, 0.5, 0.26);
         }}},
        {QStringLiteral("slash"), {[](const Glyph& g) {
             // A gap in the background colour keeps the stroke apart from what it crosses.
             if (g.back.isValid()) {
                 g.p.setPen(QPen(g.back, 0.26 * g.unit(), Qt::SolidLine, Qt::RoundCap));
                 g.p.drawLine(g.at(0.16, 0.84), g.at(0.84, 0.16));
             }
             g.line({g.at(0.16, 0.84), g.at(0.84, 0.16)}, 0.1);
         }}},
        {QStringLiteral("chevron-left"), {[](const Glyph& g) {
             g.line({g.at(0.68, 0.12), g.at(0.32, 0.5), g.at(0.68, 0.88)}, 0.14);
         }}},
        {QStringLiteral("chevron-right"), {[](const Glyph& g) {
             g.line({g.at(0.32, 0.12), g.at(0.68, 0.5), g.at(0.32, 0.88)}, 0.14);
         }}},
        {QStringLiteral("chevron-down"), {[](const Glyph& g) {
             g.line({g.at(0.12, 0.25), g.at(0.5, 0.78), g.at(0.88, 0.25)}, 0.2);
         }, true}},
        {QStringLiteral("chevron-up"), {[](const Glyph& g) {
             g.line({g.at(0.12, 0.75), g.at(0.5, 0.22), g.at(0.88, 0.75)}, 0.2);
         }, true}},
        {QStringLiteral("arrow-left"), {[](const Glyph& g) {
             g.line({g.at(0.84, 0.5), g.at(0.18, 0.5)}, 0.1);
             g.line({g.at(0.44, 0.24), g.at(0.17, 0.5), g.at(0.44, 0.76)}, 0.1);
         }}},
        {QStringLiteral("triangle-up"), {[](const Glyph& g) {
             const QPointF points[] = {g.at(0.5, 0.12), g.at(0.9, 0.82), g.at(0.1, 0.82)};
             g.p.setPen(QPen(g.ink, 0.06 * g.unit(), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
             g.p.setBrush(g.ink);
             g.p.drawPolygon(points, 3);
         }}},
        {QStringLiteral("home"), {[](const Glyph& g) {
             g.line({g.at(0.1, 0.5), g.at(0.5, 0.13), g.at(0.9, 0.5)}, 0.09);
             g.line({g.at(0.23, 0.42), g.at(0.23, 0.87), g.at(0.77, 0.87), g.at(0.77, 0.42)}, 0.09);
             g.line({g.at(0.43, 0.87), g.at(0.43, 0.64), g.at(0.57, 0.64), g.at(0.57, 0.87)}, 0.08);
         }}},
        {QStringLiteral("sensor"), {[](const Glyph& g) {
             g.pen(0.08);
             g.circle(0.5, 0.5, 0.3);
             g.line({g.at(0.5, 0.04), g.at(0.5, 0.26)}, 0.08);
             g.line({g.at(0.5, 0.74), g.at(0.5, 0.96)}, 0.08);
             g.line({g.at(0.04, 0.5), g.at(0.26, 0.5)}, 0.08);
             g.line({g.at(0.74, 0.5), g.at(0.96, 0.5)}, 0.08);
             g.solid();
             g.circle(0.5, 0.5, 0.08);
         }}},
        {QStringLiteral("macro"), {drawKeyboard}},
        {QStringLiteral("gear"), {drawGear}},
        {QStringLiteral("bulb"), {[](const Glyph& g) {
             g.pen(0.08);
             QPainterPath glass;
             glass.moveTo(g.at(0.38, 0.7));
             glass.lineTo(g.at(0.38, 0.62));
             glass.arcTo(g.rect(0.2, 0.08, 0.6, 0.6), 235, -290);
             glass.lineTo(g.at(0.62, 0.7));
             glass.closeSubpath();
             g.p.drawPath(glass);
             g.line({g.at(0.4, 0.8), g.at(0.6, 0.8)}, 0.08);
             g.line({g.at(0.44, 0.9), g.at(0.56, 0.9)}, 0.08);
         }}},
        {QStringLiteral("wrench"), {drawWrench}},
        {QStringLiteral("question"), {drawQuestion}},
        {QStringLiteral("exclaim"), {drawExclaim}},
        {QStringLiteral("clock"), {[](const Glyph& g) {
             g.pen(0.1);
             g.circle(0.5, 0.5, 0.4);
             g.line({g.at(0.5, 0.24), g.at(0.5, 0.5), g.at(0.68, 0.6)}, 0.1);
         }}},
        {QStringLiteral("keydown"), {[](const Glyph& g) {
             g.line({g.at(0.5, 0.1), g.at(0.5, 0.66)}, 0.12);
             g.line({g.at(0.26, 0.44), g.at(0.5, 0.68), g.at(0.74, 0.44)}, 0.12);
             g.line({g.at(0.16, 0.88), g.at(0.84, 0.88)}, 0.12);
         }}},
        {QStringLiteral("keyup"), {[](const Glyph& g) {
             g.line({g.at(0.5, 0.9), g.at(0.5, 0.34)}, 0.12);
             g.line({g.at(0.26, 0.56), g.at(0.5, 0.32), g.at(0.74, 0.56)}, 0.12);
             g.line({g.at(0.16, 0.12), g.at(0.84, 0.12)}, 0.12);
         }}},
        {QStringLiteral("record"), {[](const Glyph& g) {
             g.solid();
             g.circle(0.5, 0.5, 0.34);
         }}},
        {QStringLiteral("stop"), {[](const Glyph& g) {
             g.solid();
             g.p.drawRoundedRect(g.rect(0.2, 0.2, 0.6, 0.6), 0.08 * g.unit(), 0.08 * g.unit());
         }}},
        {QStringLiteral("profile"), {[](const Glyph& g) {
             g.solid();
             for (int i = 0; i < 3; ++i) {
                 const qreal y = 0.18 + i * 0.32;
                 g.p.drawEllipse(g.rect(0.08, y - 0.1, 0.14, 0.2));
                 g.p.drawRect(g.rect(0.32, y - 0.07, 0.6, 0.14));
             }
         }, true}},
        {QStringLiteral("image"), {[](const Glyph& g) {
             g.pen(0.06);
             g.p.drawRoundedRect(g.rect(0.08, 0.18, 0.84, 0.64), 0.05 * g.unit(), 0.05 * g.unit());
             g.line({g.at(0.16, 0.74), g.at(0.4, 0.46), g.at(0.56, 0.62), g.at(0.66, 0.52), g.at(0.84, 0.74)}, 0.06);
             g.solid();
             g.circle(0.68, 0.34, 0.07);
         }}},
        {QStringLiteral("knob-left"), {[](const Glyph& g) {
             g.solid();
             const qreal r = g.box.height() / 2 - 2.5;
             g.p.drawEllipse(QPointF(g.box.left() + g.box.height() / 2, g.box.center().y()), r, r);
         }, true}},
        {QStringLiteral("knob-right"), {[](const Glyph& g) {
             g.solid();
             const qreal r = g.box.height() / 2 - 2.5;
             g.p.drawEllipse(QPointF(g.box.right() - g.box.height() / 2, g.box.center().y()), r, r);
         }, true}},
        {QStringLiteral("battery"), {drawBattery, true}},
        {QStringLiteral("bolt"), {drawBolt, true}},
        {QStringLiteral("mouse"), {drawMouse, false, 0.62}},
        {QStringLiteral("mouse-left"), {[](const Glyph& g) {
             // The same mouse lying on its side, front to the left.
             g.p.save();
             g.p.translate(g.box.center());
             g.p.rotate(-90);
             const QRectF upright(-g.box.height() / 2, -g.box.width() / 2, g.box.height(), g.box.width());
             drawMouse(Glyph{g.p, upright, g.ink, g.back});
             g.p.restore();
         }, false, 1 / 0.62}},
        {QStringLiteral("dongle"), {[](const Glyph& g) {
             g.pen(0.07);
             g.p.drawRect(g.rect(0.36, 0.04, 0.28, 0.36));
             g.solid();
             g.p.drawRect(g.rect(0.42, 0.14, 0.06, 0.08));
             g.p.drawRect(g.rect(0.52, 0.14, 0.06, 0.08));
             g.p.drawRoundedRect(g.rect(0.28, 0.4, 0.44, 0.56), 0.08 * g.unit(), 0.08 * g.unit());
         }}},
        {QStringLiteral("usb"), {[](const Glyph& g) {
             g.line({g.at(0.4, 0.06), g.at(0.4, 0.26)}, 0.09);
             g.line({g.at(0.6, 0.06), g.at(0.6, 0.26)}, 0.09);
             g.solid();
             g.p.drawRoundedRect(g.rect(0.26, 0.26, 0.48, 0.36), 0.06 * g.unit(), 0.06 * g.unit());
             g.line({g.at(0.5, 0.62), g.at(0.5, 0.94)}, 0.1);
         }}},
        {QStringLiteral("wifi"), {drawWifi}},
    };
    return kinds;
}

// "name[@scale][:left|:right|:x,y]"; x,y place the glyph's centre as
// fractions of the picture.
void drawGlyph(QPainter& p, const picturetable::Row& row, const QString& spec, const QColor& ink,
               const QColor& back)
{
    QString name = spec;
    QString align;
    const int colon = name.indexOf(QLatin1Char(':'));
    if (colon >= 0) {
        align = name.mid(colon + 1);
        name.truncate(colon);
    }
    qreal scale = 0.6;
    const int atSign = name.indexOf(QLatin1Char('@'));
    if (atSign >= 0) {
        scale = name.midRef(atSign + 1).toDouble();
        name.truncate(atSign);
    }
    QPointF centre(0.5, 0.5);
    const QStringList at = align.split(QLatin1Char(','));
    bool placed = at.size() == 2;
    if (placed) {
        bool okX = false;
        bool okY = false;
        centre = QPointF(at.first().toDouble(&okX), at.last().toDouble(&okY));
        placed = okX && okY;
    }
    const auto found = glyphKinds().find(name);
    if (found == glyphKinds().end() || scale <= 0
        || !(align.isEmpty() || placed || align == QLatin1String("left") || align == QLatin1String("right"))) {
        complain(row, QStringLiteral("unknown glyph \"%1\"").arg(spec));
        return;
    }
    const GlyphKind& kind = found->second;
    const QSizeF area = QSizeF(row.size) * scale;
    QSizeF boxSize;
    if (kind.fullBox) {
        boxSize = area;
    } else if (kind.aspect > 0) {
        boxSize = QSizeF(kind.aspect, 1.0).scaled(area, Qt::KeepAspectRatio);
    } else {
        const qreal side = qMin(area.width(), area.height());
        boxSize = QSizeF(side, side);
    }
    QRectF box(QPointF(0, 0), boxSize);
    box.moveCenter(QPointF(row.size.width() * centre.x(), row.size.height() * centre.y()));
    // Beside a button's text: as far in from the edge as from top and bottom.
    const qreal margin = (row.size.height() - boxSize.height()) / 2;
    if (align == QLatin1String("left"))
        box.moveLeft(margin + 2);
    else if (align == QLatin1String("right"))
        box.moveRight(row.size.width() - margin - 2);
    kind.draw(Glyph{p, box, ink, back});
}

QString fontFamily()
{
    // The program maps its fonts to this family; fall back to Qt's sans.
    const QString wanted = QStringLiteral("WenQuanYi Micro Hei");
    return QFontDatabase().families().contains(wanted) ? wanted : QStringLiteral("Sans Serif");
}

void drawText(QPainter& p, const picturetable::Row& row, const QColor& ink)
{
    QFont font(fontFamily());
    font.setBold(true);
    const QRectF area = QRectF(QPointF(0, 0), QSizeF(row.size)).adjusted(3, 1, -3, -1);
    int pixels = qMax(6, int(row.size.height() * 0.5));
    for (;; --pixels) {
        font.setPixelSize(pixels);
        if (pixels <= 6 || QFontMetricsF(font).horizontalAdvance(row.text) <= area.width())
            break;
    }
    p.setFont(font);
    p.setPen(ink);
    p.drawText(area, Qt::AlignCenter, row.text);
}

bool drawPicture(const picturetable::Row& row, const Palette& palette, const QString& outputDir)
{
    QImage image(row.size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        const int before = problems.size();
        const Brushes b = brushes(row, palette);
        drawShape(p, row, b);
        const QColor ink = row.ink == QLatin1String("-") ? QColor(Qt::white) : palette.colour(row, row.ink);
        if (row.glyph != QLatin1String("-")) {
            for (const QString& spec : row.glyph.split(QLatin1Char('+')))
                drawGlyph(p, row, spec.trimmed(), ink, b.top);
        }
        if (row.text != QLatin1String("-"))
            drawText(p, row, ink);
        if (problems.size() != before)
            return false;
    }
    const QString folder = outputDir + QLatin1Char('/') + row.folder;
    if (!QDir().mkpath(folder)) {
        complain(row, QStringLiteral("cannot create %1").arg(folder));
        return false;
    }
    // The format follows the name's suffix.
    const QString path = folder + QLatin1Char('/') + row.name;
    if (!image.save(path)) {
        complain(row, QStringLiteral("cannot write %1").arg(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: picturegen <table> <output folder>\n");
        return 2;
    }
    const picturetable::Table table = picturetable::read(args.at(1));
    problems = table.errors;
    const Palette palette{table.palette};
    int written = 0;
    for (const picturetable::Row& row : table.rows) {
        if (drawPicture(row, palette, args.at(2)))
            ++written;
    }
    for (const QString& problem : qAsConst(problems))
        std::fprintf(stderr, "picturegen: %s\n", qPrintable(problem));
    std::printf("picturegen: %d pictures in %s\n", written, qPrintable(args.at(2)));
    return problems.isEmpty() ? 0 : 1;
}
