#include "sensor/optionskin.h"

#include "core/product.h"
#include "widgets/dialogframe.h"

#include <QComboBox>
#include <QListView>

QString optionPictureDir(const QString& screen)
{
    return installDir() + QStringLiteral("/Picture/") + screen + QLatin1Char('/');
}

QString optionLabelSkin()
{
    return QStringLiteral("QLabel{color: rgb(") + skinColour(QStringLiteral("LabelColor")) + QStringLiteral(";);}");
}

QString optionComboSkin(const QString& pictureDir, bool withDisabledRule)
{
    const QString text = skinColour(QStringLiteral("ComboxTextColor"));
    const QString back = skinColour(QStringLiteral("ComboxBackGroundColor"));
    const QString select = skinColour(QStringLiteral("ComboxSelectColor"));
    QString skin = QStringLiteral("QComboBox{border: 1px solid gray; color: rgb(") + text
        + QStringLiteral("); border-image: url(") + pictureDir + QStringLiteral("ComboboxBack.png")
        + QStringLiteral(");}QComboBox::drop-down:button{border-radius:5px; background:rgb(") + back
        + QStringLiteral(");} QComboBox::down-arrow{image: url(") + pictureDir + QStringLiteral("Menu.png")
        + QStringLiteral("); right: 8px; }QComboBox::down-arrow:on{ image: url(") + pictureDir
        + QStringLiteral("MenuClicked.png")
        + QStringLiteral(");}QComboBox QAbstractItemView::item{height:25px;}QComboBox QAbstractItemView {outline: "
                         "0px solid gray; border: 1px  solid gray;color: rgb(")
        + text + QStringLiteral("); border-image: url(") + pictureDir + QStringLiteral("ComboboxTextBack.png")
        + QStringLiteral(");selection-background-color: rgb(") + select + QStringLiteral("); }");
    if (withDisabledRule)
        skin += QStringLiteral("QComboBox:disabled{color: rgb(0, 0, 0);}");
    return skin;
}

void setOptionComboPopup(QComboBox* combo, int maxVisible)
{
    const QString select = skinColour(QStringLiteral("ComboxSelectColor"));
    auto* view = new QListView(combo);
    view->setStyleSheet(QStringLiteral("QListView::item:selected{background-color: rgb(") + select
                        + QStringLiteral(");}QListView::item:hover{background-color: rgb(") + select
                        + QStringLiteral(");}"));
    combo->setView(view);
    if (maxVisible > 0) {
        combo->setMaxVisibleItems(maxVisible);
        // Styles that open a list over its box ignore the limit and give the
        // list no scroll bar; the box's own sheet makes it a scrolling list
        // below the box instead.
        combo->setStyleSheet(combo->styleSheet() + QStringLiteral("QComboBox{combobox-popup: 0;}"));
        view->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    }
}

QString optionSliderSkin(const QString& pictureDir, int grooveHeight, const QString& handlePicture,
                         int handleSideMargin)
{
    return QStringLiteral("QSlider::groove:horizontal { border-radius: 2px;  height: %1px;background:#ffffff}"
                          "QSlider:handle:horizontal{ border-radius: 2px;width:  6px;height: 18px;  margin-top: "
                          "-9px;margin-left: %2px; margin-bottom: -9px;margin-right: %2px; border-image: url(")
               .arg(grooveHeight)
               .arg(handleSideMargin)
        + pictureDir + handlePicture
        + QStringLiteral(");} QSlider:sub-page:horizontal{border-radius: 2px;background-color: rgb(")
        + skinColour(QStringLiteral("SliderColor"))
        + QStringLiteral(";);}QSlider:add-page:horizontal{border-radius: 2px;background-color: rgb(255, 255, 255);}");
}

QString optionCheckSkin(const QString& pictureDir, const QString& checkedPicture, const QString& uncheckedPicture)
{
    return QStringLiteral("QCheckBox{color: rgb(") + skinColour(QStringLiteral("LabelColor"))
        + QStringLiteral(";);}QCheckBox:indicator::checked {image: url(") + pictureDir + checkedPicture
        + QStringLiteral(");}QCheckBox::indicator::unchecked {image: url(") + pictureDir + uncheckedPicture
        + QStringLiteral(");}");
}

QString optionSpinSkin()
{
    return QStringLiteral("QSpinBox{color: rgb(") + skinColour(QStringLiteral("LabelColor"))
        + QStringLiteral(";);background-color: transparent;border: 0px;}");
}

QString optionNumberBoxSkin()
{
    const QString colour = skinColour(QStringLiteral("LinEditColorSecond"));
    return QStringLiteral("QSpinBox{color: rgb(") + colour
        + QStringLiteral(");background-color: transparent;border: 0px;}QSpinBox:hover{color: rgb(") + colour
        + QStringLiteral(");}");
}

QString optionSwitchSkin(const QString& objectName, const QString& pictureDir)
{
    const QString id = QLatin1Char('#') + objectName;
    return id
           + QStringLiteral("{color: rgb(255, 255, 255);border:0px;background-position:center;"
                            "background-repeat:no-repeat;background-image: url(")
           + pictureDir + QStringLiteral("Close.png);}") + id + QStringLiteral(":checked {background-image: url(")
           + pictureDir + QStringLiteral("Open.png);}");
}

QString closeButtonSkin(const QString& pictureDir)
{
    return QStringLiteral("QToolButton{border:0px;background-image: url(") + pictureDir
           + QStringLiteral("CloseButton.png);background-position:center;background-repeat:no-repeat;}"
                            "QToolButton:hover{background-image: url(")
           + pictureDir + QStringLiteral("CloseHover.png);}QToolButton:pressed{background-image: url(") + pictureDir
           + QStringLiteral("CloseClick.png);}");
}
