#pragma once

#include "ui/Hints.h"

#include <QDialog>

class QLabel;
class TPicture;
class TPictureButton;

// The hint window: the text over a stretched background, one OK button; any key closes it.
class TMessageForm : public QDialog, public HintView {
    Q_OBJECT
public:
    explicit TMessageForm(QWidget* parent = nullptr);

    void UserMessage(const HintRecord& record) override; // modal
    void EndApplication() override;
    // Steps 1 to 5 of showing a hint: hidden, sized, placed and filled, not yet shown.
    void Prepare(const HintRecord& record);

    TPicture* BackGround;
    QLabel* MessageText;
    TPictureButton* ButtonOK;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};
