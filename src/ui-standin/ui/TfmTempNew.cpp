#include "ui/TfmTempNew.h"

#include <QMessageBox>
#include <QPushButton>

TfmTempNew::TfmTempNew(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("fmTempNew"));
}

int TfmTempNew::Execute()
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Створення карти"), QStringLiteral(" Вкажіть тип даних "));
    QAbstractButton* individual = box.addButton(QStringLiteral("Індивідуальні значення "), QMessageBox::AcceptRole);
    QAbstractButton* subgroups = box.addButton(QStringLiteral("Групові значення"), QMessageBox::AcceptRole);
    box.addButton(QStringLiteral("Скасувати"), QMessageBox::RejectRole);
    box.exec();
    if (box.clickedButton() == individual)
        return 1;
    if (box.clickedButton() == subgroups)
        return 2;
    return 9;
}
