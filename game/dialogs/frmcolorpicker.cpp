#include "game/dialogs/frmcolorpicker.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QValidator>
#include <QVBoxLayout>
#include <cmath>

#include "game/model/colors.h"
#include "game/model/numbers.h"

namespace pz {

namespace {

// What the player may type: at most 3 characters, never a minus sign (a
// component never goes below 0). Text set by the dialog itself is not
// limited.
class ColorBoxValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        return input.size() > 3 || input.contains('-') ? Invalid : Acceptable;
    }
};

int32_t RgbLong(double r, double g, double b) {
    auto part = [](double v) { return int(std::clamp<double>(RoundHalfEven(v), 0, 255)); };
    return RGB(part(r), part(g), part(b));
}

}  // namespace

double LeadingNumber(const QString& text) {
    QString t;
    for (QChar c : text)
        if (c != ' ' && c != '\t') t += c;
    int i = 0;
    QString num;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) num += t[i++];
    bool digits = false;
    while (i < t.size() && t[i].isDigit()) num += t[i++], digits = true;
    if (i < t.size() && t[i] == '.') {
        num += t[i++];
        while (i < t.size() && t[i].isDigit()) num += t[i++], digits = true;
    }
    if (!digits) return 0.0;
    if (i + 1 < t.size() && (t[i] == 'e' || t[i] == 'E') && (t[i + 1].isDigit() || t[i + 1] == '+')) {
        QString exp = QStringLiteral("e");
        ++i;
        if (t[i] == '+') ++i;
        while (i < t.size() && t[i].isDigit()) exp += t[i++];
        if (exp.size() > 1) num += exp;
    }
    bool ok = false;
    const double v = num.toDouble(&ok);
    return ok && std::isfinite(v) ? v : 0.0;
}

void ColorSwatch::SetColor(int32_t c) {
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(c & 0xff, (c >> 8) & 0xff, (c >> 16) & 0xff));
    setPalette(p);
    setAutoFillBackground(true);
}

const std::array<std::array<uint8_t, 3>, 14> frmColorPicker::kPalette = {{
    {126, 0, 125}, {175, 0, 125}, {0, 175, 200}, {225, 0, 225}, {255, 255, 255}, {0, 0, 255}, {100, 200, 0},
    {175, 200, 250}, {255, 183, 183}, {234, 255, 179}, {255, 137, 113}, {255, 255, 0}, {255, 137, 113}, {0, 0, 0},
}};

frmColorPicker::frmColorPicker(PickedColor& answer, QWidget* parent) : QDialog(parent), answer_(answer) {
    setWindowTitle(QStringLiteral("Color Picker"));
    QLayout* swatches = BuildSwatches();
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, [this] { OKButton_Click(); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { CancelButton_Click(); });

    auto* right = new QVBoxLayout;
    right->addWidget(OKButton);
    right->addWidget(CancelButton);
    right->addSpacing(12);
    right->addLayout(BuildCustomColour());
    right->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(swatches);
    layout->addSpacing(12);
    layout->addLayout(right);

    // Start from the caller's colour; the change handlers do the rest.
    txtRed->setText(QString::number(answer_.PickedRed));
    txtGreen->setText(QString::number(answer_.PickedGreen));
    txtBlue->setText(QString::number(answer_.PickedBlue));
    UpdatePreview();
}

QLayout* frmColorPicker::BuildSwatches() {
    auto* swatches = new QGridLayout;
    swatches->addWidget(new QLabel(QStringLiteral("Colors"), this), 0, 0, 1, 2, Qt::AlignHCenter);
    for (int i = 0; i < 14; ++i) {
        auto* s = new ColorSwatch(this);
        s->setObjectName(QStringLiteral("lblColor%1").arg(i));
        s->setFixedSize(41, 17);
        s->setFrameShape(QFrame::Box);
        s->SetColor(RGB(kPalette[i][0], kPalette[i][1], kPalette[i][2]));
        connect(s, &ColorSwatch::clicked, this, [this, i] { lblColor_Click(i); });
        swatches->addWidget(s, 1 + i % 7, i / 7);
        lblColor[i] = s;
    }
    return swatches;
}

QLayout* frmColorPicker::BuildCustomColour() {
    auto box = [this](const char* name) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        e->setValidator(new ColorBoxValidator(e));
        e->setFixedWidth(40);
        return e;
    };
    txtRed = box("txtRed");
    txtGreen = box("txtGreen");
    txtBlue = box("txtBlue");
    connect(txtRed, &QLineEdit::textChanged, this, [this] { TextChanged(txtRed, red_); });
    connect(txtGreen, &QLineEdit::textChanged, this, [this] { TextChanged(txtGreen, green_); });
    connect(txtBlue, &QLineEdit::textChanged, this, [this] { TextChanged(txtBlue, blue_); });
    shpPreviewColor = new ColorSwatch(this);
    shpPreviewColor->setObjectName(QStringLiteral("shpPreviewColor"));
    shpPreviewColor->setFixedSize(81, 25);
    shpPreviewColor->setFrameShape(QFrame::Box);

    auto* custom = new QGridLayout;
    custom->addWidget(new QLabel(QStringLiteral("Custom Color"), this), 0, 0, 1, 2, Qt::AlignHCenter);
    custom->addWidget(new QLabel(QStringLiteral("Red"), this), 1, 0);
    custom->addWidget(txtRed, 1, 1);
    custom->addWidget(new QLabel(QStringLiteral("Green"), this), 2, 0);
    custom->addWidget(txtGreen, 2, 1);
    custom->addWidget(new QLabel(QStringLiteral("Blue"), this), 3, 0);
    custom->addWidget(txtBlue, 3, 1);
    custom->addWidget(shpPreviewColor, 4, 0, 1, 2);
    return custom;
}

void frmColorPicker::lblColor_Click(int index) {
    txtRed->setText(QString::number(kPalette[index][0]));
    txtGreen->setText(QString::number(kPalette[index][1]));
    txtBlue->setText(QString::number(kPalette[index][2]));
}

void frmColorPicker::TextChanged(QLineEdit* box, uint8_t& component) {
    const double v = LeadingNumber(box->text());
    if (v > 255) {
        box->setText(QStringLiteral("255"));   // runs this handler again
        return;
    }
    component = uint8_t(std::clamp<double>(RoundHalfEven(v), 0, 255));
    UpdatePreview();
}

void frmColorPicker::UpdatePreview() {
    shpPreviewColor->SetColor(
        RgbLong(LeadingNumber(txtRed->text()), LeadingNumber(txtGreen->text()), LeadingNumber(txtBlue->text())));
}

void frmColorPicker::OKButton_Click() {
    answer_.PickedRed = red_;
    answer_.PickedGreen = green_;
    answer_.PickedBlue = blue_;
    answer_.ColorPicked = true;
    accept();
}

}  // namespace pz
