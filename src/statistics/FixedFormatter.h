#pragma once

#include <QChar>
#include <QString>

// FormatFixed for the many result cells of one compute: the user's decimal separator is looked
// up once, and a number whose fixed form stays within 15 significant digits is written in one
// pass; any other number goes to FormatFixed itself. The texts are those of FormatFixed.
class FixedFormatter {
public:
    explicit FixedFormatter(int decimals);
    QString operator()(double value) const;

private:
    int m_decimals;
    QChar m_point;
    double m_onePassLimit; // below this magnitude the 15-digit rounding never applies
};
