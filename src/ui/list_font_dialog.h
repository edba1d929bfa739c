// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/prompt.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QFontComboBox;
class QLabel;
class QPushButton;

// "字体": the font of a list and its text colour. Font name, size (a decimal number of
// points, such as 10.5), bold, italic and colour, each preset from what the list shows,
// with a sample of the result. 确定 is enabled only while the size is a number.
class ListFontDialog : public QDialog {
    Q_OBJECT
public:
    ListFontDialog(QWidget *parent, const Prompt::ListFont &initial);

    // What the controls hold now.
    Prompt::ListFont chosen() const;
    // Empty while the size field holds no usable number.
    std::optional<double> size() const;

    QFontComboBox *familyBox() const { return family_; }
    QComboBox *sizeBox() const { return size_; }
    QCheckBox *boldBox() const { return bold_; }
    QCheckBox *italicBox() const { return italic_; }
    // Opens the colour dialog.
    QPushButton *colourButton() const { return colourButton_; }
    QPushButton *okButton() const;
    QLabel *sample() const { return sample_; }

private:
    void chooseColour();
    void update();

    QFontComboBox *family_;
    QComboBox *size_;
    QCheckBox *bold_;
    QCheckBox *italic_;
    QPushButton *colourButton_;
    QLabel *sample_;
    QDialogButtonBox *buttons_;
    QColor colour_;
};
