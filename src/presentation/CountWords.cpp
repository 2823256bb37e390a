#include "presentation/CountWords.h"

QString PointCountText(int n)
{
    const int lastTwo = n % 100;
    const int last = n % 10;
    const char* word = "точок";
    if (last == 1 && lastTwo != 11)
        word = "точка";
    else if (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14))
        word = "точки";
    return QString::number(n) + QLatin1Char(' ') + QString::fromUtf8(word);
}
