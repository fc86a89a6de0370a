#pragma once
// The skin pieces the sensor option widgets share, assembled from the
// Config.ini "Option" colours and a screen's picture folder.
#include <QString>

class QComboBox;

// installDir() + "/Picture/" + screen + "/".
QString optionPictureDir(const QString& screen);

// "QLabel{color: rgb(" + LabelColor + ";);}".
QString optionLabelSkin();

// The combo box skin of the option widgets; withDisabledRule adds black text
// for a disabled list.
QString optionComboSkin(const QString& pictureDir, bool withDisabledRule = false);

// Gives the combo box a new popup view with the selection colour, showing at
// most maxVisible entries (0 keeps the combo's own setting). Call it after
// the combo's style sheet is set.
void setOptionComboPopup(QComboBox* combo, int maxVisible = 0);

// A horizontal slider: handle picture, filled part in SliderColor, rest white.
// handleSideMargin is the handle's left and right margin in pixels.
QString optionSliderSkin(const QString& pictureDir, int grooveHeight,
                         const QString& handlePicture = QStringLiteral("HuaKuai.png"), int handleSideMargin = 0);

// The round check buttons of the second layouts; other screens name their
// own checked and unchecked pictures.
QString optionCheckSkin(const QString& pictureDir, const QString& checkedPicture = QStringLiteral("LODCheck.png"),
                        const QString& uncheckedPicture = QStringLiteral("LOD.png"));

// An on/off switch button named objectName: "Close.png" off, "Open.png" on.
QString optionSwitchSkin(const QString& objectName, const QString& pictureDir);

// A dialog's close button: "CloseButton.png", with its hover and pressed pictures.
QString closeButtonSkin(const QString& pictureDir);

// The read-only number beside a slider, in LabelColor.
QString optionSpinSkin();

// The number box of the second and third layouts, in LinEditColorSecond.
QString optionNumberBoxSkin();
