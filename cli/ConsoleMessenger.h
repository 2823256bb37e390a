#pragma once

#include "model/Messenger.h"

#include <QStringList>
#include <QTextStream>

// The command line's messenger: every message and question goes to standard error as it comes
// and is kept (analyse puts the failure into its JSON); questions are answered No, so nothing is
// changed without the analyst's consent.
class ConsoleMessenger final : public Messenger {
public:
    void ShowMessage(const QString& text) override
    {
        messages.append(text);
        QTextStream(stderr) << text << '\n';
    }
    bool AskYesNo(const QString& question) override
    {
        ShowMessage(question);
        return false;
    }

    QStringList messages;
};
