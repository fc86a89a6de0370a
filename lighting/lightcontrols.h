#pragma once
// What the lighting page and the light mode dialog share: the light mode's
// layout, the colour editor (R, G and B boxes with their steps, the 14 preset
// colours, the preview and the colour board's screen picker), its skin and
// its texts. Both forms name these widgets alike.
#include <QColor>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QString>

#include <functional>
#include <optional>

class LanguageTable;
class QLabel;
class QSpinBox;
class QWidget;

// Light modes: 0 off, 1 colour flow, 2 single-colour breathing, 3 mixed-colour
// steady, 4 neon, 5 mixed-colour breathing.
constexpr int kLightModeCount = 6;

struct LightPreset
{
    char letter; // of the button toolButtonColor<letter> and its picture Color<letter>.png
    int red;
    int green;
    int blue;
};

constexpr LightPreset kLightPresets[] = {
    {'A', 255, 0, 0},    {'B', 0, 255, 255},  {'C', 0, 255, 0},    {'D', 255, 0, 255},  {'E', 255, 255, 0},
    {'F', 255, 80, 0},   {'G', 0, 0, 255},    {'H', 227, 0, 127},  {'I', 46, 166, 223}, {'J', 96, 25, 133},
    {'K', 255, 255, 255}, {'L', 139, 178, 36}, {'M', 255, 155, 51}, {'N', 208, 113, 173},
};
constexpr int kLightPresetCount = int(sizeof(kLightPresets) / sizeof(kLightPresets[0]));

// The preview swatch showing a colour.
QString lightPreviewStyleSheet(int red, int green, int blue);

// The colour picker's screen grab: the pixels at a global screen position (a
// null image when the screen cannot be read). Tests put their own in place;
// an empty function restores the grab of the primary screen.
using ScreenGrab = std::function<QImage(const QPoint& position)>;
void setScreenGrab(ScreenGrab grab);

// The colour of the screen at a global position, or nothing when the grab
// fails.
std::optional<QColor> screenColourAt(const QPoint& position);

// Where a language section keeps the texts both forms show.
struct LightTextItems
{
    int modeCaption; // `label`
    int firstMode;   // LightMod items 0..5
    int brightness;  // `label_2`
    int speed;       // `label_3`
    int firstColour; // label_6, label_8, label_13, label_11, label_10, label_12
};

class LightControls : public QObject
{
    Q_OBJECT
public:
    // `owner` holds the form; the controls act on its widgets by their names.
    explicit LightControls(QWidget* owner);

    // Runs before a step, a preset or a pick changes the colour; false stops
    // the change. Unset: every change goes ahead.
    std::function<bool()> mayEditColour;

    enum Channel { Red, Green, Blue };

    // The layout of a light mode; any other index changes nothing.
    void showMode(int mode);

    // The plus and minus buttons: one channel up or down by one, within
    // 0..255.
    void step(Channel channel, int delta);
    // A preset button: the colour of kLightPresets' entry `letter`.
    void applyPreset(char letter);
    // A colour box changed: the preview follows, then colourEdited.
    void colourBoxChanged();

    // R, G and B in this order, signals not blocked: each box that changes
    // refreshes the preview and reports colourEdited.
    void setColour(int red, int green, int blue);
    // The preview of the three boxes' values.
    void refreshPreview();
    int red() const;
    int green() const;
    int blue() const;

    // A mouse press at `position` in the owner's coordinates: a press outside
    // the three colour boxes (or outside a slider's number) takes their focus
    // away; one on the colour board, while the mode shows it, picks the screen
    // colour under the cursor. A failed grab changes nothing.
    void press(const QPoint& position);

    // The skin of the mode combo and the colour editor, from the pictures of
    // `pictureDir`.
    void applySkin(const QString& pictureDir);

    void applyTexts(const LanguageTable& table, int language, const LightTextItems& items);

signals:
    // A colour box changed (after the preview was refreshed).
    void colourEdited();

private:
    bool containsPress(const QWidget* widget, const QPoint& position) const;

    QWidget* owner;
    QSpinBox* boxes[3];
    QLabel* preview;
    QLabel* board;
    QWidget* line;
    QWidget* line2;
    QList<QWidget*> colourGroup;
    QList<QWidget*> brightnessGroup;
    QList<QWidget*> speedGroup;
    QList<QWidget*> valueBoxes; // the numbers beside the sliders, where the form has them
};
