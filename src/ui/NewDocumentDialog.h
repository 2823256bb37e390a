#pragma once

#include <QDialog>

class QGroupBox;
class QPushButton;
class QRadioButton;

// The dialog that asks which kind of data a new document holds. Its answer is the modal result:
// 1 for individual values, 2 for subgroup values, 9 for cancel (also Esc and the close box).
// The choice is kept from one showing to the next.
class TfmTempNew : public QDialog {
    Q_OBJECT
public:
    enum Answer { IndividualValues = 1, SubgroupValues = 2, Cancelled = 9 };

    explicit TfmTempNew(QWidget* parent = nullptr);

    int Execute(); // shows the dialog modally and returns 1, 2 or 9

    int SelectedItem() const; // 0: "Індивідуальні значення ", 1: "Групові значення"
    void SetSelectedItem(int index);
    int Answer() const { return m_answer; } // the answer of the last showing; 9 before any
    bool IndividualChosen() const { return m_answer == IndividualValues; }

    QPushButton* ConfirmButton() const { return m_confirm; } // Button1
    QPushButton* CancelButton() const { return m_cancel; } // Button2

    void reject() override; // Esc and the close box answer 9

protected:
    void showEvent(QShowEvent* event) override; // centred on the desktop

private:
    void Button1Click();
    void Button2Click();

    QGroupBox* m_radioGroup = nullptr; // RadioGroup1
    QRadioButton* m_items[2] {};
    QPushButton* m_confirm = nullptr;
    QPushButton* m_cancel = nullptr;
    int m_answer = Cancelled;
};
