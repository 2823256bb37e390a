#include "ui/ExampleChooser.h"

#include "ui/Hints.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>

TChoiseForm::TChoiseForm(Hints* hints, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , List(new QListWidget(this))
    , bOK(new QPushButton(QStringLiteral("OK"), this))
    , m_hints(hints)
{
    setObjectName(QStringLiteral("ChoiseForm"));
    setWindowTitle(QStringLiteral("Оберіть приклад"));
    setFixedSize(164, 221);
    List->setObjectName(QStringLiteral("List"));
    List->setGeometry(0, 0, 164, 185);
    for (int i = 1; i <= 4; ++i)
        List->addItem(QStringLiteral("Приклад %1").arg(i));
    List->installEventFilter(this);
    bOK->setObjectName(QStringLiteral("bOK"));
    bOK->setGeometry(40, 192, 89, 24);
    bOK->setAutoDefault(false);
    connect(bOK, &QPushButton::clicked, this, &TChoiseForm::bOKClick);
    connect(List, &QListWidget::itemDoubleClicked, this, &TChoiseForm::bOKClick);
}

int TChoiseForm::Choose()
{
    List->setCurrentRow(0);
    if (parentWidget())
        move(parentWidget()->frameGeometry().center() - rect().center());
    if (exec() != QDialog::Accepted)
        return -1;
    return List->currentRow();
}

void TChoiseForm::bOKClick()
{
    if (List->currentItem() && List->currentItem()->isSelected())
        accept();
}

bool TChoiseForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == List && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            bOKClick();
            return true;
        }
        if (key->key() == Qt::Key_F1) {
            if (m_hints)
                m_hints->RepeatLastHint();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TChoiseForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1) {
        if (m_hints)
            m_hints->RepeatLastHint();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        bOKClick();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TChoiseForm::showEvent(QShowEvent* event)
{
    m_hintDue = true;
    QDialog::showEvent(event);
}

void TChoiseForm::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
    QDialog::changeEvent(event);
}

void TChoiseForm::FormActivate()
{
    if (!m_hintDue)
        return;
    m_hintDue = false;
    if (m_hints)
        m_hints->ShowHint(QStringLiteral("Приклади"));
}
