// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/csv_options_dialog.h"

#include "store/ui_state.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

const QString EncodingState = QStringLiteral("CSV/编码");
const QString TotalsState = QStringLiteral("CSV/合计");

} // namespace

CsvOptionsDialog::CsvOptionsDialog(const CsvChoice &initial, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CsvOptions"));
    setWindowTitle(QStringLiteral("导出为CSV文件"));
    setModal(true);

    auto *encoding = new QGroupBox(QStringLiteral("文字编码"), this);
    utf8_ = new QRadioButton(QStringLiteral("UTF-8（Excel、WPS 和 Linux 的程序都能读）"), encoding);
    utf8_->setObjectName(QStringLiteral("Option1"));
    gb18030_ = new QRadioButton(QStringLiteral("GB18030（较旧的中文电子表格程序）"), encoding);
    gb18030_->setObjectName(QStringLiteral("Option2"));
    auto *choices = new QVBoxLayout(encoding);
    choices->addWidget(utf8_);
    choices->addWidget(gb18030_);
    (initial.encoding == Csv::Encoding::Gb18030 ? gb18030_ : utf8_)->setChecked(true);

    totals_ = new QCheckBox(QStringLiteral("最后一行写合计"), this);
    totals_->setObjectName(QStringLiteral("Check1"));
    totals_->setChecked(initial.totals);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("Command1"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("Command2"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(encoding);
    layout->addWidget(totals_);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

CsvChoice CsvOptionsDialog::choice() const
{
    return {gb18030_->isChecked() ? Csv::Encoding::Gb18030 : Csv::Encoding::Utf8Bom, totals_->isChecked()};
}

std::optional<CsvChoice> CsvOptionsDialog::ask(DataFile &data, QWidget *parent)
{
    UiState state(data);
    CsvChoice last;
    if (state.value(EncodingState) == QLatin1String("GB18030"))
        last.encoding = Csv::Encoding::Gb18030;
    last.totals = state.value(TotalsState) != QLatin1String("0");
    CsvOptionsDialog dialog(last, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const CsvChoice chosen = dialog.choice();
    state.setValue(EncodingState,
                   chosen.encoding == Csv::Encoding::Gb18030 ? QStringLiteral("GB18030") : QStringLiteral("UTF-8"));
    state.setValue(TotalsState, chosen.totals ? QStringLiteral("1") : QStringLiteral("0"));
    return chosen;
}
