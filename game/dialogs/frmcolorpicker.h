#pragma once
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <array>

#include <cstdint>

namespace pz {

// The leading number of a text, the way the colour boxes read it: leading
// blanks skipped, blanks inside ignored, digits with an optional point and
// exponent; no number at all counts as 0.
double LeadingNumber(const QString& text);

// A label that reports clicks.
class ClickableLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent*) override { emit clicked(); }
};

// A swatch: a clickable label filled with one colour.
class ColorSwatch : public ClickableLabel {
    Q_OBJECT
public:
    using ClickableLabel::ClickableLabel;
    void SetColor(int32_t rgbLong);
    QColor Color() const { return palette().color(QPalette::Window); }
};

// What the colour picker is asked and answers: the colour it starts from
// and, once OK is pressed, the colour picked.
struct PickedColor {
    uint8_t PickedRed = 0, PickedGreen = 0, PickedBlue = 0;
    bool ColorPicked = false;
};

// "Color Picker": 14 swatches, and red, green and blue typed in.
class frmColorPicker : public QDialog {
    Q_OBJECT
public:
    explicit frmColorPicker(PickedColor& answer, QWidget* parent = nullptr);

    void lblColor_Click(int index);
    void OKButton_Click();
    void CancelButton_Click() { reject(); }

    std::array<ColorSwatch*, 14> lblColor{};
    QLineEdit *txtRed = nullptr, *txtGreen = nullptr, *txtBlue = nullptr;
    QPushButton *OKButton = nullptr, *CancelButton = nullptr;
    ColorSwatch* shpPreviewColor = nullptr;

    // The palette: red, green, blue of each swatch.
    static const std::array<std::array<uint8_t, 3>, 14> kPalette;

private:
    void TextChanged(QLineEdit* box, uint8_t& component);
    void UpdatePreview();
    QLayout* BuildSwatches();
    QLayout* BuildCustomColour();

    PickedColor& answer_;
    uint8_t red_ = 0, green_ = 0, blue_ = 0;
};

}  // namespace pz
