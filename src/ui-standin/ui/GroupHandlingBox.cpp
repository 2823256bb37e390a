#include "ui/GroupHandlingBox.h"

GroupHandlingBox::GroupHandlingBox(MeasurementDocument&, Hints&, QWidget* parent)
    : QGroupBox(QStringLiteral(" Результати аналізу та обчислення контрольних меж для груп  "), parent)
{
    setObjectName(QStringLiteral("GroupHandlingBox"));
}
