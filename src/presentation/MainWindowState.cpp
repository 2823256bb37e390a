#include "presentation/MainWindowState.h"

QString MainWindowState::WindowCaption() const
{
    const QString fileName = m_document.FileName();
    if (fileName.isEmpty())
        return QStringLiteral("Мерідан");
    return QStringLiteral("Мерідан - ") + fileName;
}

QString MainWindowState::Label18Caption() const
{
    if (!m_document.HasDocument())
        return QString();
    return (m_document.IndividualMode() ? QStringLiteral("Кількість елементів:") : QStringLiteral("Кількість підгруп:"))
        + QLatin1Char(' ') + QString::number(m_document.PointCount());
}

bool MainWindowState::ChartTabVisible(int slot) const
{
    const MeasurementDocument& doc = m_document;
    if (!doc.IsComputed() || !doc.ResultsComplete())
        return false;
    const bool subgroups = !doc.IndividualMode();
    switch (slot) {
    case SlotCentre:
        return doc.ChartSelection(N11);
    case SlotMedians:
        return subgroups && doc.SubgroupSize() <= 10 && doc.ChartSelection(N21);
    case SlotDeviation:
        return doc.ChartSelection(N31);
    case SlotRelDeviation:
        return subgroups && doc.ChartSelection(N41);
    case SlotRanges:
        return subgroups && doc.ChartSelection(N51);
    case SlotRelRanges:
        return subgroups && doc.ChartSelection(N61);
    default:
        return false;
    }
}

QString MainWindowState::TabCaption(int slot) const
{
    if (m_document.IndividualMode()) {
        switch (slot) {
        case SlotCentre:
            return QStringLiteral("Карта індивідуальних значень");
        case SlotDeviation:
            return QStringLiteral("Карта ковзних розмахів");
        default:
            return QString();
        }
    }
    switch (slot) {
    case SlotCentre:
        return QStringLiteral("Карта середніх");
    case SlotMedians:
        return QStringLiteral("Карта медіан");
    case SlotDeviation:
        return QStringLiteral("Карта вибіркових стандартних відхилень");
    case SlotRelDeviation:
        return QStringLiteral("Карта відносних вибіркових відхилень");
    case SlotRanges:
        return QStringLiteral("Карта розмахів");
    case SlotRelRanges:
        return QStringLiteral("Карта відносних розмахів");
    default:
        return QString();
    }
}

bool MainWindowState::ChartChoiceVisible(ChartChoice item) const
{
    return !m_document.IndividualMode() || item == N11 || item == N31 || item == N13;
}

QString MainWindowState::ChartChoiceCaption(ChartChoice item) const
{
    if (item == N13)
        return QStringLiteral("Виводити значення на графіках у нормованій формі");
    const QString caption = m_document.HasDocument() ? TabCaption(item) : QString();
    return caption.isEmpty() ? QStringLiteral("Карта %1").arg(item + 1) : caption;
}
