#include "ui/HintWindow.h"

#include "ui/Pictures.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>

TMessageForm::TMessageForm(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , BackGround(new TPicture(QStringLiteral("hint-background"), this))
    , MessageText(new QLabel(this))
    , ButtonOK(new TPictureButton(QStringLiteral("hint-button"), QStringLiteral("OK"), this))
{
    setObjectName(QStringLiteral("MessageForm"));
    setWindowTitle(QStringLiteral("Мерідан"));
    BackGround->setObjectName(QStringLiteral("BackGround"));
    MessageText->setObjectName(QStringLiteral("MessageText"));
    MessageText->setAttribute(Qt::WA_TranslucentBackground);
    MessageText->setTextFormat(Qt::PlainText);
    MessageText->move(5, 7);
    ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
    ButtonOK->setFixedSize(83, 21);
    QPalette buttonPalette = ButtonOK->palette();
    buttonPalette.setColor(QPalette::ButtonText, Qt::white);
    ButtonOK->setPalette(buttonPalette);
    QFont bold = ButtonOK->font();
    bold.setBold(true);
    ButtonOK->setFont(bold);
    connect(ButtonOK, &QAbstractButton::clicked, this, &QDialog::accept);
    resize(348, 109 - ToolFrameHeight);
}

void TMessageForm::Prepare(const HintRecord& record)
{
    hide();
    QRect desktop(0, 0, 1024, 768);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        desktop = screen->availableGeometry();
    const HintPlacement placement = PlaceHint(record, desktop, ButtonOK->size());
    resize(placement.Client);
    BackGround->setGeometry(rect());
    move(placement.Frame.topLeft());
    ButtonOK->move(placement.Button);
    MessageText->setText(DisplayText(record.Text));
    MessageText->move(placement.Text);
    MessageText->setMaximumWidth(placement.Client.width() - 10);
    MessageText->adjustSize();
}

void TMessageForm::UserMessage(const HintRecord& record)
{
    Prepare(record);
    ButtonOK->setFocus();
    exec();
}

void TMessageForm::EndApplication()
{
    // Queued, so it also ends a program whose event loop has not started yet.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
}

void TMessageForm::keyPressEvent(QKeyEvent* event)
{
    event->accept();
    accept();
}

void TMessageForm::resizeEvent(QResizeEvent* event)
{
    BackGround->setGeometry(rect());
    QDialog::resizeEvent(event);
}
