#pragma once

#include <QString>

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
};

// Says nothing and answers No; for documents nobody watches.
class SilentMessenger final : public Messenger {
public:
    void ShowMessage(const QString&) override { }
    bool AskYesNo(const QString&) override { return false; }
};
