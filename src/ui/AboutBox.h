#pragma once

#include <QDialog>
#include <functional>
#include <memory>

class Messenger;
class QFrame;
class QPushButton;
class QTextEdit;
class TPicture;
namespace rpt {
class PreparedReport;
}

// "Про програму": the program's title, version and makers beside its picture, and the check of
// the program's computations against the published examples delivered with it.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
    ~TAboutBox() override;

    static QStringList AboutLines(); // what RichEdit1 shows, line by line

    // Who shows the messages of the check: message boxes over this window unless set.
    void SetMessenger(Messenger* messenger) { m_messenger = messenger; }
    // The pack the check runs: the one delivered with the program unless set.
    void SetValidationFolder(const QString& folder) { m_validationFolder = folder; }
    // How the validation report is shown: the report preview by default. Tests replace it.
    void SetPreviewHandler(std::function<void(const rpt::PreparedReport&)> handler) { m_preview = std::move(handler); }

    QFrame* Panel1;
    TPicture* ProgramIcon;
    QTextEdit* RichEdit1;
    QPushButton* OKButton;
    QPushButton* ValidateButton;

public Q_SLOTS:
    // "Перевірка розрахунків...": runs the pack with a progress window and shows the report.
    void ValidateButtonClick();

private:
    Messenger& messenger();

    Messenger* m_messenger = nullptr;
    std::unique_ptr<Messenger> m_ownMessenger;
    QString m_validationFolder;
    std::function<void(const rpt::PreparedReport&)> m_preview;
};
