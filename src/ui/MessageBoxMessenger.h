#pragma once

#include "model/Messenger.h"

#include <QPointer>
#include <QWidget>

// The program's messenger: modal message boxes titled "Мерідан" with Ukrainian buttons, over the
// given window.
class MessageBoxMessenger final : public Messenger {
public:
    explicit MessageBoxMessenger(QWidget* parent = nullptr)
        : m_parent(parent)
    {
    }
    void SetParent(QWidget* parent) { m_parent = parent; }

    void ShowMessage(const QString& text) override;
    bool AskYesNo(const QString& question) override;
    Answer AskYesNoCancel(const QString& question) override;
    int AskChoice(const QString& question, const QStringList& buttons) override;
    std::optional<QString> AskText(const QString& question, const QString& initial = QString()) override;

private:
    QPointer<QWidget> m_parent;
};
