#pragma once

#include <QChar>
#include <QString>
#include <cstdint>

// FormatFixed for the many result cells of one compute: the user's decimal separator is looked
// up once, and a number whose fixed form stays within 15 significant digits is written in one
// pass; any other number goes to FormatFixed itself. The texts are those of FormatFixed.
class FixedFormatter {
public:
    explicit FixedFormatter(int decimals);
    QString operator()(double value) const;

private:
    QString fromDigits(uint64_t scaled, bool negative) const;

    int m_decimals;
    QChar m_point;
    double m_onePassLimit; // below this magnitude the 15-digit rounding never applies
    double m_scale; // 10^decimals
};
