// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "reports/budget_progress.h"
#include "reports/reports.h"

#include <QChart>

#include <functional>
#include <vector>

class QFont;
class QFontMetricsF;
class QPalette;

// The charts of the reports (Qt Charts): a donut of the items and bars of income and
// expense with the balance as a line. Amounts go to the charts as doubles only for
// drawing; every text they show is made from the exact amounts.
namespace ReportCharts {

// The donut: each slice labelled with its item and share; `clicked` gets the slice's index.
QChart *donut(const std::vector<ReportSlice> &slices, const std::function<void(int)> &clicked);
// Bars per month or year; `clicked` gets the line's index.
QChart *bars(const PeriodReport &report, const std::function<void(int)> &clicked);
// Bars of each budget line: the budget beside what it took; `clicked` gets the line's index.
QChart *budgetBars(const BudgetReport &report, const std::function<void(int)> &clicked);
// Colours and label colours from the window's palette (a dark theme for a dark palette),
// and the window's font for every text, so that the charts follow a larger system font.
void applyPalette(QChart *chart, const QPalette &palette, const QFont &font);

// A label under the bars: its text and the index of the bar it stands under.
struct BarLabel {
    QString text;
    int bar = 0;
    bool operator==(const BarLabel &) const = default;
};
// The labels under the bars of a plot `plotWidth` pixels wide, level and whole, spaced so
// that none touches the next in the font `labels`: every month ("3月") of a year at most,
// or every second, third ... one; the years ("2026") at their Januaries, every few years
// when they are many. Never empty when there are bars.
std::vector<BarLabel> barLabels(const PeriodReport &report, double plotWidth, const QFontMetricsF &labels);

// Steps of a value axis that covers low..high (and 0), round numbers: 0, 2,000, 4,000 ...
std::vector<Money> axisSteps(const Money &low, const Money &high, int count = 5);
// An axis label: thousands grouped, without decimals for whole yuan ("12,000", "0.50").
QString axisLabel(const Money &value);

} // namespace ReportCharts
