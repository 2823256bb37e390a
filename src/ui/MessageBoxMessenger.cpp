#include "ui/MessageBoxMessenger.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace {

const QString& title()
{
    static const QString text = QStringLiteral("Мерідан");
    return text;
}

// A message box ignores the override cursor only partly; the analyst must see an arrow over it.
class ArrowCursor {
public:
    ArrowCursor()
        : m_active(QApplication::overrideCursor() != nullptr)
    {
        if (m_active)
            QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~ArrowCursor()
    {
        if (m_active)
            QApplication::restoreOverrideCursor();
    }

private:
    bool m_active;
};

} // namespace

void MessageBoxMessenger::ShowMessage(const QString& text)
{
    const ArrowCursor arrow;
    QMessageBox box(QMessageBox::Information, title(), text, QMessageBox::NoButton, m_parent);
    box.addButton(QStringLiteral("Гаразд"), QMessageBox::AcceptRole);
    box.exec();
}

bool MessageBoxMessenger::AskYesNo(const QString& question)
{
    const ArrowCursor arrow;
    QMessageBox box(QMessageBox::Question, title(), question, QMessageBox::NoButton, m_parent);
    QPushButton* yes = box.addButton(QStringLiteral("Так"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("Ні"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

Messenger::Answer MessageBoxMessenger::AskYesNoCancel(const QString& question)
{
    const ArrowCursor arrow;
    QMessageBox box(QMessageBox::Question, title(), question, QMessageBox::NoButton, m_parent);
    QPushButton* yes = box.addButton(QStringLiteral("Так"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("Ні"), QMessageBox::NoRole);
    QPushButton* cancel = box.addButton(QStringLiteral("Скасувати"), QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == yes)
        return Answer::Yes;
    if (box.clickedButton() == no)
        return Answer::No;
    return Answer::Cancel;
}

int MessageBoxMessenger::AskChoice(const QString& question, const QStringList& buttons)
{
    const ArrowCursor arrow;
    QMessageBox box(QMessageBox::Question, title(), question, QMessageBox::NoButton, m_parent);
    QList<QPushButton*> pushButtons;
    for (const QString& caption : buttons)
        pushButtons.append(box.addButton(caption, QMessageBox::ActionRole));
    if (pushButtons.isEmpty())
        return -1;
    box.setDefaultButton(pushButtons.first());
    box.setEscapeButton(pushButtons.last());
    box.exec();
    const auto pressed = pushButtons.indexOf(qobject_cast<QPushButton*>(box.clickedButton()));
    return pressed < 0 ? int(pushButtons.size()) - 1 : int(pressed);
}

std::optional<QString> MessageBoxMessenger::AskText(const QString& question, const QString& initial)
{
    const ArrowCursor arrow;
    QInputDialog dialog(m_parent);
    dialog.setObjectName(QStringLiteral("AskTextDialog"));
    dialog.setWindowTitle(title());
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setLabelText(question);
    dialog.setTextValue(initial);
    dialog.setOkButtonText(QStringLiteral("Гаразд"));
    dialog.setCancelButtonText(QStringLiteral("Скасувати"));
    dialog.resize(420, dialog.sizeHint().height());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}
