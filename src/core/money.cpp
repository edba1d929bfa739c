// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/money.h"

#include <QByteArray>

#include <algorithm>
#include <limits>

namespace {

using Units = Money::Units;

constexpr int MaxDigits = 36;           // units below 10^36: amounts below 10^24 yuan
constexpr int MaxTypedIntegerDigits = 15;

constexpr Units powerOfTen(int n)
{
    Units p = 1;
    for (int i = 0; i < n; ++i)
        p *= 10;
    return p;
}

constexpr Units Limit = powerOfTen(MaxDigits);
constexpr Units Largest = std::numeric_limits<Units>::max();

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Divides by 10^k, rounding half away from zero (the magnitude is never negative here).
Units roundedDiv(Units magnitude, int k)
{
    if (k <= 0)
        return magnitude;
    if (k > MaxDigits + 2)
        return 0;
    const Units p = powerOfTen(k);
    Units q = magnitude / p;
    if ((magnitude % p) * 2 >= p)
        ++q;
    return q;
}

enum class Form { Plain, Grouped, Stored };

// Reads [p, end) as a decimal. Plain: [sign] digits [. digits] with at most 15 digits before
// the point. Grouped: the same with commas between groups of three. Stored: any count of
// digits and an optional exponent.
std::optional<Units> read(const char *p, const char *end, Form form)
{
    while (p < end && isBlank(*p))
        ++p;
    while (end > p && isBlank(end[-1]))
        --end;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }

    Units mantissa = 0;  // the value is mantissa * 10^exponent
    int significant = 0, exponent = 0, integerDigits = 0;
    bool anyDigit = false;
    int firstDropped = -1;  // the first digit that did not fit, for rounding
    auto take = [&](int digit, bool fraction) {
        anyDigit = true;
        if (mantissa == 0 && digit == 0) {
            if (fraction)
                --exponent;
            return;
        }
        if (!fraction)
            ++integerDigits;
        if (significant < MaxDigits) {
            mantissa = mantissa * 10 + digit;
            ++significant;
            if (fraction)
                --exponent;
        } else {
            if (firstDropped < 0)
                firstDropped = digit;
            if (!fraction)
                ++exponent;
        }
    };

    // The integer part; with grouping, commas must stand between groups of three digits.
    int groupLength = 0;
    bool grouped = false;
    while (p < end) {
        if (isDigit(*p)) {
            take(*p - '0', false);
            ++groupLength;
            ++p;
        } else if (*p == ',' && form == Form::Grouped) {
            if (groupLength == 0 || (grouped ? groupLength != 3 : groupLength > 3))
                return std::nullopt;
            grouped = true;
            groupLength = 0;
            ++p;
        } else {
            break;
        }
    }
    if (grouped && groupLength != 3)
        return std::nullopt;
    if (p < end && *p == '.') {
        ++p;
        while (p < end && isDigit(*p))
            take(*p++ - '0', true);
    }
    if (!anyDigit)
        return std::nullopt;
    if (form == Form::Stored && p < end && (*p == 'e' || *p == 'E')) {
        ++p;
        bool negativeExponent = false;
        if (p < end && (*p == '+' || *p == '-'))
            negativeExponent = *p++ == '-';
        if (p == end || !isDigit(*p))
            return std::nullopt;
        int value = 0;
        while (p < end && isDigit(*p)) {
            value = std::min(value * 10 + (*p - '0'), 10000);
            ++p;
        }
        exponent += negativeExponent ? -value : value;
    }
    if (p != end)
        return std::nullopt;
    if (form != Form::Stored && integerDigits > MaxTypedIntegerDigits)
        return std::nullopt;

    const int shift = exponent + Money::Decimals;
    Units units;
    if (mantissa == 0) {
        units = 0;
    } else if (shift >= 0) {
        if (significant + shift > MaxDigits)
            return std::nullopt;
        units = mantissa * powerOfTen(shift);
        if (shift == 0 && firstDropped >= 5)
            ++units;
    } else {
        units = roundedDiv(mantissa, -shift);
    }
    if (units >= Limit)
        return std::nullopt;
    return negative ? -units : units;
}

std::optional<Units> readText(QStringView text, Form form)
{
    for (QChar c : text)
        if (c.unicode() >= 0x80)
            return std::nullopt;  // full-width digits and the like are not amounts
    const QByteArray latin = text.toLatin1();
    return read(latin.constData(), latin.constData() + latin.size(), form);
}

// The decimal digits of a magnitude, most significant first, without leading zeros.
QString digitsOf(Units magnitude)
{
    char buffer[48];
    int n = 0;
    do {
        buffer[n++] = char('0' + int(magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    QString text(n, Qt::Uninitialized);
    for (int i = 0; i < n; ++i)
        text[i] = QLatin1Char(buffer[n - 1 - i]);
    return text;
}

// magnitude * 10^-decimals written out: the integer part, then the point and exactly
// `decimals` digits (none when decimals is 0).
QString decimalText(bool negative, Units magnitude, int decimals)
{
    QString digits = digitsOf(magnitude);
    if (digits.size() <= decimals)
        digits.prepend(QString(decimals - digits.size() + 1, u'0'));
    if (decimals > 0)
        digits.insert(digits.size() - decimals, u'.');
    if (negative && magnitude != 0)
        digits.prepend(u'-');
    return digits;
}

void dropTrailingZeros(QString &text)
{
    if (!text.contains(u'.'))
        return;
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
}

Units magnitudeOf(Units units) { return units < 0 ? -units : units; }

} // namespace

Money Money::fromYuan(long long yuan) { return Money(Units(yuan) * powerOfTen(Decimals)); }

std::optional<Money> Money::parse(QStringView text)
{
    if (auto units = readText(text, Form::Plain))
        return Money(*units);
    return std::nullopt;
}

std::optional<Money> Money::parseGrouped(QStringView text)
{
    if (auto units = readText(text, Form::Grouped))
        return Money(*units);
    return std::nullopt;
}

std::optional<QString> Money::storedText(QStringView typed, bool grouped)
{
    const std::optional<Units> units = readText(typed, grouped ? Form::Grouped : Form::Plain);
    if (!units)
        return std::nullopt;
    // Most amounts are already as they are stored: ASCII digits without a leading zero,
    // and a point with digits on both sides of it.
    const qsizetype dot = typed.indexOf(u'.');
    const bool digits =
        std::all_of(typed.begin(), typed.end(), [](QChar c) { return c == u'.' || (c >= u'0' && c <= u'9'); });
    if (digits && !typed.isEmpty() && dot != 0 && dot != typed.size() - 1 && typed.count(u'.') <= 1 &&
        (typed[0] != u'0' || typed.size() == 1 || dot == 1))
        return typed.toString();
    // Keep the decimals as typed ("12.50" stays 12.50) but drop what only dresses the
    // number: blanks, "+", grouping commas, leading zeros and a point with nothing after it.
    QString text = typed.trimmed().toString();
    text.remove(u',');
    const bool negative = text.startsWith(u'-');
    if (text.startsWith(u'-') || text.startsWith(u'+'))
        text.remove(0, 1);
    qsizetype point = text.indexOf(u'.');
    QString integer = point < 0 ? text : text.left(point);
    QString fraction = point < 0 ? QString() : text.mid(point + 1);
    while (integer.size() > 1 && integer.startsWith(u'0'))
        integer.remove(0, 1);
    if (integer.isEmpty())
        integer = QStringLiteral("0");
    QString result = integer;
    if (!fraction.isEmpty())
        result += u'.' + fraction;
    if (negative && *units != 0)
        result.prepend(u'-');
    return result;
}

std::optional<Money> Money::fromStored(std::string_view utf8)
{
    if (auto units = read(utf8.data(), utf8.data() + utf8.size(), Form::Stored))
        return Money(*units);
    return std::nullopt;
}

std::optional<Money> Money::fromStored(QStringView text)
{
    if (auto units = readText(text, Form::Stored))
        return Money(*units);
    return std::nullopt;
}

double Money::toDouble() const { return double(units_) / double(powerOfTen(Decimals)); }

Money &Money::operator+=(Money other)
{
    if (__builtin_add_overflow(units_, other.units_, &units_))
        units_ = other.units_ > 0 ? Largest : -Largest;
    return *this;
}

Money &Money::operator-=(Money other)
{
    if (__builtin_sub_overflow(units_, other.units_, &units_))
        units_ = other.units_ < 0 ? Largest : -Largest;
    return *this;
}

QString Money::plain() const
{
    Units magnitude = magnitudeOf(units_);
    // Round to 15 significant digits.
    const int length = digitsOf(magnitude).size();
    if (length > 15) {
        const int dropped = length - 15;
        magnitude = roundedDiv(magnitude, dropped) * powerOfTen(dropped);
    }
    QString text = decimalText(units_ < 0, magnitude, Decimals);
    dropTrailingZeros(text);
    return text;
}

QString Money::fixed(int decimals) const
{
    decimals = std::clamp(decimals, 0, Decimals);
    return decimalText(units_ < 0, roundedDiv(magnitudeOf(units_), Decimals - decimals), decimals);
}

QString Money::grouped() const
{
    QString text = fixed(2);
    const qsizetype start = text.startsWith(u'-') ? 1 : 0;
    for (qsizetype i = text.indexOf(u'.') - 3; i > start; i -= 3)
        text.insert(i, u',');
    return text;
}

QString Money::exact() const
{
    QString text = decimalText(units_ < 0, magnitudeOf(units_), Decimals);
    dropTrailingZeros(text);
    return text;
}
