// SPDX-License-Identifier: GPL-3.0-or-later
#include "reports/report_charts.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QCursor>
#include <QFontMetricsF>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPalette>
#include <QPieSeries>
#include <QPieLegendMarker>
#include <QPieSlice>
#include <QToolTip>

#include <algorithm>

namespace {

using Units = Money::Units;
constexpr Units Cent = Units(10000000000LL);  // 10^-2 yuan in units of 10^-12

Units floorTo(Units value, Units step)
{
    Units q = value / step;
    if (value % step != 0 && value < 0)
        --q;
    return q * step;
}

Units ceilTo(Units value, Units step)
{
    Units q = value / step;
    if (value % step != 0 && value > 0)
        ++q;
    return q * step;
}

// Colours told apart at a glance, on a light or a dark background.
const QColor Colours[] = {QColor(0x4e79a7), QColor(0xf28e2b), QColor(0xe15759), QColor(0x76b7b2), QColor(0x59a14f),
                          QColor(0xedc948), QColor(0xb07aa1), QColor(0xff9da7), QColor(0x9c755f), QColor(0xbab0ac)};

QString tip(const QString &caption, const QString &kind, const Money &amount)
{
    return QStringLiteral("%1 %2：%3").arg(caption, kind, Reports::amountText(amount));
}

} // namespace

namespace ReportCharts {

namespace {

// The amount axis from low to high (and 0), labelled at round steps.
QCategoryAxis *amountAxis(QChart *chart, const Money &low, const Money &high)
{
    auto *y = new QCategoryAxis(chart);
    y->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    const std::vector<Money> steps = axisSteps(low, high);
    for (const Money &step : steps)
        y->append(axisLabel(step), step.toDouble());
    y->setRange(steps.front().toDouble(), steps.back().toDouble());
    y->setStartValue(steps.front().toDouble());
    return y;
}

} // namespace

std::vector<BarLabel> barLabels(const PeriodReport &report, double plotWidth, const QFontMetricsF &labels)
{
    const int count = int(report.lines.size());
    if (count == 0)
        return {};
    const double perBar = std::max(plotWidth, 1.0) / count;
    const double gap = labels.horizontalAdvance(QStringLiteral("  "));
    const bool months = !report.years && count <= 12;
    const int firstYear = report.lines.front().days.from.year();
    // The candidates: every month of a short period, else each year (at its January).
    std::vector<BarLabel> candidates;
    std::vector<int> ordinal;  // months or years from the first candidate
    for (int i = 0; i < count; ++i) {
        const QDate day = report.lines[size_t(i)].days.from;
        if (months) {
            candidates.push_back({QStringLiteral("%1月").arg(day.month()), i});
            ordinal.push_back(i);
        } else if (report.years || day.month() == 1) {
            candidates.push_back({QString::number(day.year()), i});
            ordinal.push_back(day.year() - firstYear);
        }
    }
    if (candidates.empty())  // months of no January: the first one names its year
        return {{QString::number(firstYear), 0}};
    double widest = 0;
    for (const BarLabel &c : candidates)
        widest = std::max(widest, labels.horizontalAdvance(c.text));
    // Bars between two neighbouring candidates: a month's, or a year's worth.
    const double unit = months || report.years ? perBar : 12 * perBar;
    const std::vector<int> steps = months ? std::vector<int>{1, 2, 3, 4, 6, 12}
                                          : std::vector<int>{1, 2, 5, 10, 20, 50, 100, 200, 500, 1000};
    int step = steps.back();
    for (int s : steps)
        if (s * unit >= widest + gap) {
            step = s;
            break;
        }
    std::vector<BarLabel> result;
    for (size_t i = 0; i < candidates.size(); ++i)
        if (ordinal[i] % step == 0)
            result.push_back(candidates[i]);
    if (result.empty())
        result.push_back(candidates.front());
    return result;
}

std::vector<Money> axisSteps(const Money &low, const Money &high, int count)
{
    const Units bottom = std::min(low.units(), Units(0));
    const Units top = std::max(high.units(), Units(0));
    // The smallest round step (1, 2 or 5 times a power of ten, at least a cent) that
    // covers the range in count - 1 steps.
    const Units rough = std::max((top - bottom) / std::max(count - 1, 1), Cent);
    Units power = Cent;
    while (power * 10 <= rough)
        power *= 10;
    Units step = power;
    for (Units factor : {1, 2, 5, 10})
        if (power * factor >= rough) {
            step = power * factor;
            break;
        }
    std::vector<Money> steps;
    const Units last = std::max(ceilTo(top, step), floorTo(bottom, step) + step);
    for (Units value = floorTo(bottom, step); value <= last; value += step)
        steps.push_back(Money::fromUnits(value));
    return steps;
}

QString axisLabel(const Money &value)
{
    QString text = Reports::amountText(value);
    if (text.endsWith(QLatin1String(".00")))
        text.chop(3);
    return text;
}

QChart *donut(const std::vector<ReportSlice> &slices, const std::function<void(int)> &clicked)
{
    auto *chart = new QChart;
    auto *series = new QPieSeries(chart);
    series->setHoleSize(0.45);
    series->setPieSize(0.7);
    for (int i = 0; i < int(slices.size()); ++i) {
        const ReportSlice &s = slices[size_t(i)];
        // Named in the legend beside the donut: labels on the slices would overwrite each
        // other where slices are thin.
        QPieSlice *slice = series->append(s.share.isEmpty() ? s.label : s.label + u' ' + s.share, s.amount.toDouble());
        slice->setLabelVisible(false);
        const QString text = QStringLiteral("%1：%2 %3").arg(s.label, Reports::amountText(s.amount), s.share);
        QObject::connect(slice, &QPieSlice::hovered, slice, [slice, text](bool on) {
            slice->setExploded(on);
            if (on)
                QToolTip::showText(QCursor::pos(), text);
            else
                QToolTip::hideText();
        });
        QObject::connect(slice, &QPieSlice::clicked, slice, [clicked, i] { clicked(i); });
    }
    chart->addSeries(series);
    chart->legend()->setVisible(!slices.empty());
    chart->legend()->setAlignment(Qt::AlignRight);
    // A click on a slice's name does what a click on the slice does.
    const QList<QLegendMarker *> markers = chart->legend()->markers(series);
    for (int i = 0; i < int(markers.size()); ++i)
        QObject::connect(markers[i], &QLegendMarker::clicked, markers[i], [clicked, i] { clicked(i); });
    if (slices.empty())
        chart->setTitle(QStringLiteral("这段时间没有记录"));
    return chart;
}

QChart *bars(const PeriodReport &report, const std::function<void(int)> &clicked)
{
    auto *chart = new QChart;
    auto *income = new QBarSet(QStringLiteral("收入"));
    auto *expense = new QBarSet(QStringLiteral("支出"));
    auto *balance = new QLineSeries(chart);
    balance->setName(QStringLiteral("结余"));
    balance->setPointsVisible(true);
    QStringList captions;
    Money low, high;
    for (int i = 0; i < int(report.lines.size()); ++i) {
        const PeriodLine &line = report.lines[size_t(i)];
        captions << (report.years ? Reports::yearCaption(line.days.from.year()) : Reports::monthCaption(line.days.from));
        *income << line.income.toDouble();
        *expense << line.expense.toDouble();
        balance->append(i, line.balance().toDouble());
        for (const Money &value : {line.income, line.expense, line.balance()}) {
            low = std::min(low, value);
            high = std::max(high, value);
        }
    }
    auto *series = new QBarSeries(chart);
    series->setBarWidth(0.8);
    series->append(income);
    series->append(expense);
    chart->addSeries(series);
    chart->addSeries(balance);

    // The bars stand at 0, 1, 2 ...; their labels are chosen again whenever the plot
    // changes its width, so that they always fit whole (see barLabels).
    auto *x = new QCategoryAxis(chart);
    x->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    const int count = int(report.lines.size());
    auto label = [x, report](double width) {
        const std::vector<BarLabel> labels = barLabels(report, width, QFontMetricsF(x->labelsFont()));
        QStringList texts;
        for (const BarLabel &l : labels)
            texts << l.text;
        if (x->categoriesLabels() == texts)
            return;
        for (const QString &old : x->categoriesLabels())
            x->remove(old);
        for (const BarLabel &l : labels)
            x->append(l.text, l.bar);
    };
    label(400);
    QObject::connect(chart, &QChart::plotAreaChanged, x, [label](const QRectF &plot) { label(plot.width()); });
    x->setStartValue(-0.5);
    x->setRange(-0.5, count - 0.5);
    x->setGridLineVisible(false);
    QCategoryAxis *y = amountAxis(chart, low, high);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries *s : {static_cast<QAbstractSeries *>(series), static_cast<QAbstractSeries *>(balance)}) {
        s->attachAxis(x);
        s->attachAxis(y);
    }
    chart->legend()->setAlignment(Qt::AlignBottom);

    auto hover = [](QBarSet *set, const QStringList &captions, const PeriodReport &report, bool isIncome) {
        QObject::connect(set, &QBarSet::hovered, set, [captions, report, isIncome](bool on, int index) {
            if (!on || index < 0 || index >= int(report.lines.size())) {
                QToolTip::hideText();
                return;
            }
            const PeriodLine &line = report.lines[size_t(index)];
            QToolTip::showText(QCursor::pos(), tip(captions[index], isIncome ? QStringLiteral("收入") : QStringLiteral("支出"),
                                                   isIncome ? line.income : line.expense) +
                                                   QStringLiteral("\n结余：") + Reports::amountText(line.balance()));
        });
    };
    hover(income, captions, report, true);
    hover(expense, captions, report, false);
    for (QBarSet *set : {income, expense})
        QObject::connect(set, &QBarSet::clicked, set, [clicked](int index) { clicked(index); });
    return chart;
}

QChart *budgetBars(const BudgetReport &report, const std::function<void(int)> &clicked)
{
    auto *chart = new QChart;
    auto *budget = new QBarSet(QStringLiteral("预算"));
    auto *spent = new QBarSet(QStringLiteral("已支出"));
    QStringList captions;
    Money low, high;
    for (const BudgetLine &line : report.lines) {
        captions << BudgetProgress::caption(line);
        *budget << line.budget.toDouble();
        *spent << line.spent.toDouble();
        for (const Money &value : {line.budget, line.spent}) {
            low = std::min(low, value);
            high = std::max(high, value);
        }
    }
    auto *series = new QBarSeries(chart);
    series->append(budget);
    series->append(spent);
    chart->addSeries(series);
    auto *x = new QBarCategoryAxis(chart);
    x->append(captions);
    QCategoryAxis *y = amountAxis(chart, low, high);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(x);
    series->attachAxis(y);
    chart->legend()->setAlignment(Qt::AlignBottom);
    if (report.lines.empty())
        chart->setTitle(QStringLiteral("还没有设置预算（财务管理 → 预算...）"));
    for (QBarSet *set : {budget, spent}) {
        const bool isBudget = set == budget;
        QObject::connect(set, &QBarSet::hovered, set, [captions, report, isBudget](bool on, int index) {
            if (!on || index < 0 || index >= int(report.lines.size())) {
                QToolTip::hideText();
                return;
            }
            const BudgetLine &line = report.lines[size_t(index)];
            QToolTip::showText(QCursor::pos(), tip(captions[index], isBudget ? QStringLiteral("预算") : QStringLiteral("已支出"),
                                                   isBudget ? line.budget : line.spent));
        });
        QObject::connect(set, &QBarSet::clicked, set, [clicked](int index) { clicked(index); });
    }
    return chart;
}

void applyPalette(QChart *chart, const QPalette &palette, const QFont &font)
{
    const QColor text = palette.color(QPalette::Text);
    const QColor base = palette.color(QPalette::Base);
    chart->setTheme(base.lightness() < 128 ? QChart::ChartThemeDark : QChart::ChartThemeLight);
    chart->setBackgroundBrush(base);
    chart->setBackgroundPen(Qt::NoPen);
    chart->setTitleBrush(text);
    chart->setTitleFont(font);
    chart->legend()->setLabelColor(text);
    chart->legend()->setFont(font);
    QColor grid = palette.color(QPalette::Mid);
    grid.setAlpha(110);
    for (QAbstractAxis *axis : chart->axes()) {
        axis->setLabelsColor(text);
        axis->setLabelsFont(font);
        axis->setLinePenColor(palette.color(QPalette::Mid));
        axis->setGridLineColor(grid);
    }
    for (QAbstractSeries *series : chart->series()) {
        if (auto *pie = qobject_cast<QPieSeries *>(series)) {
            int i = 0;
            for (QPieSlice *slice : pie->slices()) {
                slice->setColor(Colours[i++ % std::size(Colours)]);
                slice->setLabelColor(text);
                slice->setBorderColor(base);
            }
        } else if (auto *bars = qobject_cast<QBarSeries *>(series)) {
            int i = 0;
            for (QBarSet *set : bars->barSets()) {
                set->setColor(Colours[i++]);
                set->setBorderColor(Colours[i - 1]);
            }
        } else if (auto *line = qobject_cast<QLineSeries *>(series)) {
            QPen pen(text, 2);
            line->setPen(pen);
            line->setColor(text);
        }
    }
}

} // namespace ReportCharts
