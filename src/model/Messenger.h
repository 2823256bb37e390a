#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// Every message and Yes/No question of the core goes through this, so the program can show
// message boxes and tests can answer without a modal window.
class Messenger {
public:
    virtual ~Messenger() = default;
    virtual void ShowMessage(const QString& text) = 0;
    virtual bool AskYesNo(const QString& question) = 0; // true for Yes

    enum class Answer { Yes, No, Cancel };
    // A question that may also be declined altogether. By default it is asked as a Yes/No question,
    // so messengers that only know those two keep working.
    virtual Answer AskYesNoCancel(const QString& question) { return AskYesNo(question) ? Answer::Yes : Answer::No; }

    // A question with buttons of its own, the first one the default and the last one what closing
    // the box means. Returns the index of the button pressed; a messenger that cannot show such
    // buttons answers with the last one.
    virtual int AskChoice(const QString& question, const QStringList& buttons)
    {
        (void)question;
        return int(buttons.size()) - 1;
    }

    // A line of text the analyst types in answer (a reason); nothing when declined. A messenger
    // that cannot ask declines.
    virtual std::optional<QString> AskText(const QString& question, const QString& initial = QString())
    {
        (void)question;
        (void)initial;
        return std::nullopt;
    }
};

// Says nothing and answers No; for documents nobody watches.
class SilentMessenger final : public Messenger {
public:
    void ShowMessage(const QString&) override { }
    bool AskYesNo(const QString&) override { return false; }
};
