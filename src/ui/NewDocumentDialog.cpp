#include "ui/NewDocumentDialog.h"

#include "ui/ScreenCentre.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TfmTempNew::TfmTempNew(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("fmTempNew"));
    setWindowTitle(QStringLiteral("Створення карти"));
    setFixedSize(200, 120);

    m_radioGroup = new QGroupBox(QStringLiteral(" Вкажіть тип даних "), this);
    m_radioGroup->setObjectName(QStringLiteral("RadioGroup1"));
    m_radioGroup->setGeometry(8, 4, 184, 76);
    auto* items = new QVBoxLayout(m_radioGroup);
    items->setContentsMargins(8, 4, 8, 4);
    const QString captions[2] = { QStringLiteral("Індивідуальні значення "), QStringLiteral("Групові значення") };
    for (int i = 0; i < 2; ++i) {
        m_items[i] = new QRadioButton(captions[i], m_radioGroup);
        m_items[i]->setObjectName(QStringLiteral("RadioGroup1Item%1").arg(i));
        items->addWidget(m_items[i]);
    }
    m_items[0]->setChecked(true);

    m_confirm = new QPushButton(QStringLiteral("Підтвердити"), this);
    m_confirm->setObjectName(QStringLiteral("Button1"));
    m_confirm->setGeometry(8, 88, 88, 25);
    m_confirm->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Скасувати"), this);
    m_cancel->setObjectName(QStringLiteral("Button2"));
    m_cancel->setGeometry(104, 88, 88, 25);
    connect(m_confirm, &QPushButton::clicked, this, &TfmTempNew::Button1Click);
    connect(m_cancel, &QPushButton::clicked, this, &TfmTempNew::Button2Click);
}

int TfmTempNew::Execute()
{
    m_answer = Cancelled;
    return exec();
}

int TfmTempNew::SelectedItem() const
{
    return m_items[1]->isChecked() ? 1 : 0;
}

void TfmTempNew::SetSelectedItem(int index)
{
    m_items[index == 1 ? 1 : 0]->setChecked(true);
}

void TfmTempNew::reject()
{
    Button2Click();
}

void TfmTempNew::Button1Click()
{
    m_answer = 1 + SelectedItem();
    done(m_answer);
}

void TfmTempNew::Button2Click()
{
    m_answer = Cancelled;
    done(m_answer);
}

void TfmTempNew::showEvent(QShowEvent* event)
{
    CentreOnScreen(*this);
    QDialog::showEvent(event);
}
