#pragma once

#include "model/PointNote.h"

#include <QDialog>

class Messenger;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// "Примітка до точки N": what happened at a point, the corrective action taken, and whether the
// point is kept out of the limits, with the reason (required then). Each text holds at most
// PointNoteMaxChars characters; typing stops there. OK with the box ticked and no reason is refused
// with a message, and the dialog stays open.
class NoteDialog final : public QDialog {
    Q_OBJECT
public:
    explicit NoteDialog(Messenger& messenger, QWidget* parent = nullptr);

    static QString Caption(const QString& pointLabel); // "Примітка до точки " and the number
    static QString ReasonRequiredMessage();

    // Shows the record of the point labelled pointLabel (its number).
    void Fill(const QString& pointLabel, const PointNote& note);
    // The texts as the analyst left them; the reason only while the box is ticked. Meaningful
    // after the dialog was accepted.
    PointNote Result() const;

    QPlainTextEdit* NoteEdit() const { return m_note; }
    QPlainTextEdit* ActionEdit() const { return m_action; }
    QCheckBox* ExcludeBox() const { return m_exclude; }
    QLineEdit* ReasonEdit() const { return m_reason; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }

public Q_SLOTS:
    void accept() override;

private:
    void limitText(QPlainTextEdit* edit);
    void excludeToggled(bool ticked);

    Messenger& m_messenger;
    QPlainTextEdit* m_note = nullptr;
    QPlainTextEdit* m_action = nullptr;
    QCheckBox* m_exclude = nullptr;
    QLabel* m_reasonLabel = nullptr;
    QLineEdit* m_reason = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};
