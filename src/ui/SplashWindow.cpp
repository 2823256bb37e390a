#include "ui/SplashWindow.h"

#include "model/Messenger.h"
#include "program/HintFile.h"
#include "program/ProgramFiles.h"
#include "ui/Pictures.h"

#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>

TFirstForm::TFirstForm(const QString& folder, Messenger* messenger, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , Bkg(new TPicture(QStringLiteral("splash"), this))
    , Text(new QLabel(this))
    , bOK(new TPictureButton(QStringLiteral("splash-button"), QStringLiteral("Почати роботу"), this))
    , m_folder(folder)
    , m_messenger(messenger)
{
    setObjectName(QStringLiteral("FirstForm"));
    setWindowTitle(QStringLiteral("Мерідан"));
    setFixedSize(445, 298);
    Bkg->setObjectName(QStringLiteral("Bkg"));
    Bkg->setGeometry(rect());
    Text->setObjectName(QStringLiteral("Text"));
    Text->setAttribute(Qt::WA_TranslucentBackground);
    Text->setTextFormat(Qt::PlainText);
    QFont font(QStringLiteral("Times New Roman"));
    font.setPixelSize(16);
    font.setBold(true);
    Text->setFont(font);
    QPalette white = Text->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    white.setColor(QPalette::ButtonText, Qt::white);
    Text->setPalette(white);
    Text->move(56, 48);
    bOK->setObjectName(QStringLiteral("bOK"));
    bOK->setGeometry(168, 264, 113, 22);
    bOK->setPalette(white);
    connect(bOK, &QAbstractButton::clicked, this, &TFirstForm::bOKClick);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TFirstForm::FormActivate()
{
    Text->clear();
    const auto lines = ReadTextLines(QDir(m_folder).filePath(SplashTextFileName));
    if (!lines) {
        if (!m_complained && m_messenger) {
            m_complained = true;
            m_messenger->ShowMessage(QStringLiteral("Не знайдено файл \"%1\" у теці \"%2\".")
                                         .arg(SplashTextFileName, QDir::toNativeSeparators(m_folder)));
        }
        return;
    }
    Lines = *lines;
    Text->setText(DisplayText(SplashText(Lines)));
    Text->adjustSize();
}

void TFirstForm::bOKClick()
{
    // The main window first, so the program always has a visible window.
    Q_EMIT Finished();
    hide();
}

void TFirstForm::keyPressEvent(QKeyEvent* event)
{
    event->accept();
    bOKClick();
}

void TFirstForm::closeEvent(QCloseEvent* event)
{
    event->ignore();
    bOKClick();
}

void TFirstForm::showEvent(QShowEvent* event)
{
    FormActivate();
    QWidget::showEvent(event);
}

void TFirstForm::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
    QWidget::changeEvent(event);
}
