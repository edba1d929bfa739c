// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>

#include <compare>
#include <optional>
#include <string_view>

// An exact amount of money: a whole number of units of 10^-12 yuan, so that every plain
// decimal a user types adds up without the drift of binary fractions (a hundred times
// 0.1 is 10, 0.1 + 0.2 is 0.3). Amounts are stored as text; Money is how the program
// reads, adds and writes them.
class Money {
public:
    using Units = __int128;
    static constexpr int Decimals = 12;

    constexpr Money() = default;
    static constexpr Money fromUnits(Units units) { return Money(units); }
    static Money fromYuan(long long yuan);

    // What a user types or a file brings in: blanks around, an optional sign, digits and an
    // optional point with digits ("12", "-3.5", "12.", ".5"). At most 15 digits before the
    // point; digits beyond the twelfth decimal are rounded. Exponents, "inf", "0x10",
    // grouping commas and anything else are not amounts.
    static std::optional<Money> parse(QStringView text);
    // The same, for a text with thousands grouped by commas ("1,234.50", "12,345"); a comma
    // anywhere else ("1,5", "12,34,5") makes it no amount.
    static std::optional<Money> parseGrouped(QStringView text);
    // The text to store for a typed amount: the plain decimal without blanks, "+", leading
    // zeros or a bare point ("12." is stored as "12"); nothing when it is not an amount.
    static std::optional<QString> storedText(QStringView typed, bool grouped = false);

    // A stored amount as the lists count it: the plain forms above, and the odd forms older
    // files may hold ("1e5", "+4"); nothing for a text that is not a number.
    static std::optional<Money> fromStored(std::string_view utf8);
    static std::optional<Money> fromStored(QStringView text);

    constexpr Units units() const { return units_; }
    constexpr bool isZero() const { return units_ == 0; }
    constexpr bool isNegative() const { return units_ < 0; }
    double toDouble() const;

    // Sums saturate at the largest amount rather than wrap (far beyond any real ledger).
    Money &operator+=(Money other);
    Money &operator-=(Money other);
    friend Money operator+(Money a, Money b) { return a += b; }
    friend Money operator-(Money a, Money b) { return a -= b; }
    Money operator-() const { return Money(-units_); }
    friend constexpr bool operator==(Money a, Money b) = default;
    friend constexpr std::strong_ordering operator<=>(Money a, Money b) { return a.units_ <=> b.units_; }

    // At most 15 significant digits, no trailing zeros, no fixed decimals: 12.5, 0.3, -4, 0.
    QString plain() const;
    // A fixed number of decimals, rounded half away from zero, never "-0.000": 8.500.
    QString fixed(int decimals) const;
    // Two decimals with thousands grouped: 12,345.60.
    QString grouped() const;
    // Every digit, no trailing zeros: what the data file's money_total() hands back.
    QString exact() const;

private:
    constexpr explicit Money(Units units) : units_(units) {}
    Units units_ = 0;
};
