#include "lighting/lightcontrols.h"

#include "core/languagetable.h"
#include "sensor/optionskin.h"
#include "widgets/dialogframe.h"

#include <QComboBox>
#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QSpinBox>
#include <QToolButton>

#include <algorithm>
#include <iterator>

namespace {

struct ModeLayout
{
    bool line;
    bool line2;
    bool colour;
    bool brightness;
    bool speed;
};

constexpr ModeLayout kModeLayouts[kLightModeCount] = {
    {true, true, false, false, false}, // off
    {false, false, false, true, true}, // colour flow
    {false, false, true, true, true},  // single-colour breathing
    {false, true, true, true, false},  // mixed-colour steady
    {false, false, false, true, true}, // neon
    {false, false, false, true, true}, // mixed-colour breathing
};

constexpr const char* kChannels[3] = {"R", "G", "B"};

QImage grabPrimaryScreen(const QPoint& position)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return QImage();
    return screen->grabWindow(0, position.x(), position.y(), 2, 2).toImage();
}

ScreenGrab& screenGrab()
{
    static ScreenGrab grab = grabPrimaryScreen;
    return grab;
}

template <typename T>
T* formWidget(QWidget* owner, const QString& name)
{
    T* widget = owner->findChild<T*>(name);
    if (!widget)
        qFatal("%s has no %s", owner->metaObject()->className(), qPrintable(name));
    return widget;
}

// A picture in the middle of a widget, without a border.
QString pictureSkin(const QString& objectName, const QString& picture)
{
    return QLatin1Char('#') + objectName + QStringLiteral("{border:0px;background-position:center;"
                                                          "background-repeat:no-repeat;background-image: url(")
        + picture + QStringLiteral(");}");
}

QString colourBoxSkin()
{
    const QString colour = skinColour(QStringLiteral("LinEditColorSecond"));
    return QStringLiteral("QSpinBox{background-color: rgb(0,0,0);color: rgb(") + colour
        + QStringLiteral(";);border: 1px  solid gray;}QSpinBox:hover{background-color: transparent;color: rgb(")
        + colour + QStringLiteral(";);border: 1px  solid gray;}");
}

} // namespace

QString lightPreviewStyleSheet(int red, int green, int blue)
{
    return QStringLiteral("QLabel{background-color: rgb(%1,%2,%3);border: 2px solid  rgb(220,220,220);}")
        .arg(red)
        .arg(green)
        .arg(blue);
}

void setScreenGrab(ScreenGrab grab)
{
    screenGrab() = grab ? std::move(grab) : ScreenGrab(grabPrimaryScreen);
}

std::optional<QColor> screenColourAt(const QPoint& position)
{
    const QImage image = screenGrab()(position);
    if (image.isNull() || !image.valid(0, 0))
        return std::nullopt;
    return image.pixelColor(0, 0);
}

LightControls::LightControls(QWidget* owner)
    : QObject(owner)
    , owner(owner)
    , preview(formWidget<QLabel>(owner, QStringLiteral("labelPreView")))
    , board(formWidget<QLabel>(owner, QStringLiteral("label_7")))
    , line(formWidget<QWidget>(owner, QStringLiteral("line")))
    , line2(formWidget<QWidget>(owner, QStringLiteral("line_2")))
{
    for (const char* name : {"label_6", "label_7", "label_8", "labelPreView", "label_10", "label_11", "label_12",
                             "label_13"})
        colourGroup.append(formWidget<QWidget>(owner, QLatin1String(name)));
    for (int channel = 0; channel < 3; ++channel) {
        const QString letter = QLatin1String(kChannels[channel]);
        QSpinBox* box = formWidget<QSpinBox>(owner, letter + QStringLiteral("SpinBox"));
        boxes[channel] = box;
        colourGroup << box << formWidget<QToolButton>(owner, QStringLiteral("Add") + letter)
                    << formWidget<QToolButton>(owner, QStringLiteral("Reduce") + letter);
    }
    for (const LightPreset& preset : kLightPresets)
        colourGroup << formWidget<QToolButton>(owner, QStringLiteral("toolButtonColor") + QLatin1Char(preset.letter));
    // The page shows each slider's value beside it; the dialog has the sliders alone.
    brightnessGroup << formWidget<QWidget>(owner, QStringLiteral("horizontalLight"));
    speedGroup << formWidget<QWidget>(owner, QStringLiteral("horizontalSpeed"));
    if (QWidget* box = owner->findChild<QSpinBox*>(QStringLiteral("LightSpinBox_2"))) {
        brightnessGroup << box;
        valueBoxes << box;
    }
    if (QWidget* box = owner->findChild<QSpinBox*>(QStringLiteral("SpeedSpinBox_2"))) {
        speedGroup << box;
        valueBoxes << box;
    }
}

void LightControls::showMode(int mode)
{
    if (mode < 0 || mode >= kLightModeCount)
        return;
    const ModeLayout& layout = kModeLayouts[mode];
    line->setVisible(layout.line);
    line2->setVisible(layout.line2);
    for (QWidget* widget : qAsConst(colourGroup))
        widget->setVisible(layout.colour);
    for (QWidget* widget : qAsConst(brightnessGroup))
        widget->setVisible(layout.brightness);
    for (QWidget* widget : qAsConst(speedGroup))
        widget->setVisible(layout.speed);
}

void LightControls::setColour(int red, int green, int blue)
{
    boxes[0]->setValue(red);
    boxes[1]->setValue(green);
    boxes[2]->setValue(blue);
}

void LightControls::refreshPreview()
{
    preview->setStyleSheet(lightPreviewStyleSheet(red(), green(), blue()));
}

int LightControls::red() const
{
    return boxes[0]->value();
}

int LightControls::green() const
{
    return boxes[1]->value();
}

int LightControls::blue() const
{
    return boxes[2]->value();
}

void LightControls::step(Channel channel, int delta)
{
    if (mayEditColour && !mayEditColour())
        return;
    QSpinBox* box = boxes[channel];
    box->setValue(box->value() + delta);
}

void LightControls::applyPreset(char letter)
{
    const auto* preset = std::find_if(std::begin(kLightPresets), std::end(kLightPresets),
                                      [letter](const LightPreset& entry) { return entry.letter == letter; });
    if (preset == std::end(kLightPresets))
        return;
    if (mayEditColour && !mayEditColour())
        return;
    setColour(preset->red, preset->green, preset->blue);
}

void LightControls::colourBoxChanged()
{
    refreshPreview();
    emit colourEdited();
}

bool LightControls::containsPress(const QWidget* widget, const QPoint& position) const
{
    return QRect(widget->mapTo(owner, QPoint(0, 0)), widget->size()).contains(position);
}

void LightControls::press(const QPoint& position)
{
    const bool onColourBox = containsPress(boxes[0], position) || containsPress(boxes[1], position)
        || containsPress(boxes[2], position);
    if (!onColourBox) {
        for (QSpinBox* box : boxes)
            box->clearFocus();
        owner->setFocus(Qt::OtherFocusReason);
    }
    for (QWidget* valueBox : qAsConst(valueBoxes)) {
        if (!containsPress(valueBox, position)) {
            valueBox->clearFocus();
            owner->setFocus(Qt::OtherFocusReason);
        }
    }
    // A hidden board (the modes without a colour) is empty page: it picks nothing.
    if (!board->isVisibleTo(owner) || !containsPress(board, position))
        return;
    if (mayEditColour && !mayEditColour())
        return;
    const std::optional<QColor> colour = screenColourAt(QCursor::pos());
    if (!colour)
        return;
    setColour(colour->red(), colour->green(), colour->blue());
    refreshPreview();
}

void LightControls::applySkin(const QString& pictureDir)
{
    auto* mode = formWidget<QComboBox>(owner, QStringLiteral("LightMod"));
    mode->setStyleSheet(optionComboSkin(pictureDir));
    setOptionComboPopup(mode, 5);

    const QString boxSkin = colourBoxSkin();
    for (int channel = 0; channel < 3; ++channel) {
        boxes[channel]->setStyleSheet(boxSkin);
        for (const QString& kind : {QStringLiteral("Add"), QStringLiteral("Reduce")}) {
            const QString name = kind + QLatin1String(kChannels[channel]);
            formWidget<QWidget>(owner, name)
                ->setStyleSheet(pictureSkin(name, pictureDir + kind + QStringLiteral(".png")));
        }
    }
    for (const LightPreset& preset : kLightPresets) {
        const QString name = QStringLiteral("toolButtonColor") + QLatin1Char(preset.letter);
        formWidget<QWidget>(owner, name)
            ->setStyleSheet(pictureSkin(name, pictureDir + QStringLiteral("Color") + QLatin1Char(preset.letter)
                                                  + QStringLiteral(".png")));
    }
    board->setStyleSheet(pictureSkin(board->objectName(), pictureDir + QStringLiteral("ColorBoard.png")));
    preview->setStyleSheet(pictureSkin(preview->objectName(), pictureDir + QStringLiteral("PreviewColor.png")));
}

void LightControls::applyTexts(const LanguageTable& table, int language, const LightTextItems& items)
{
    formWidget<QLabel>(owner, QStringLiteral("label"))->setText(table.text(language, items.modeCaption));
    auto* mode = formWidget<QComboBox>(owner, QStringLiteral("LightMod"));
    for (int i = 0; i < kLightModeCount && i < mode->count(); ++i)
        mode->setItemText(i, table.text(language, items.firstMode + i));
    formWidget<QLabel>(owner, QStringLiteral("label_2"))->setText(table.text(language, items.brightness));
    formWidget<QLabel>(owner, QStringLiteral("label_3"))->setText(table.text(language, items.speed));
    const char* colourLabels[] = {"label_6", "label_8", "label_13", "label_11", "label_10", "label_12"};
    for (int i = 0; i < 6; ++i)
        formWidget<QLabel>(owner, QLatin1String(colourLabels[i]))->setText(table.text(language, items.firstColour + i));
}
