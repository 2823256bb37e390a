#pragma once

#include "program/HintFile.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>

class Messenger;
class QTimer;

// Where hints appear: the message window in the program, a recorder in tests.
class HintView {
public:
    virtual ~HintView() = default;
    // Shows the record's text at its geometry and returns when the analyst has closed it.
    virtual void UserMessage(const HintRecord& record) = 0;
    // The general hint file is missing: the program cannot guide anyone and ends.
    virtual void EndApplication() = 0;
};

// The keyed hint messages every command and many controls ask for, and the example list they
// walk through. The windows call only this; it decides whether and how a hint shows. Without a
// view nothing is shown and no file is read, so windows built in tests never block.
class Hints : public QObject {
    Q_OBJECT
public:
    explicit Hints(QObject* parent = nullptr);
    ~Hints() override;

    void SetView(HintView* view) { m_view = view; } // not owned
    void SetMessenger(Messenger* messenger) { m_messenger = messenger; } // says why a file is unusable
    // The data folder: relative hint file names and the example list are read from here.
    void SetFolder(const QString& folder) { m_folder = folder; }
    const QString& Folder() const { return m_folder; }

    // The general hint file when fileName is empty; true when a hint was shown.
    bool ShowHint(const QString& key, const QString& fileName = QString());
    bool ShowExampleHint(const QString& key); // from the current example's hint file
    void ShowHintLater(const QString& key); // after the current event has finished
    void ShowExampleHintLater(const QString& key);
    bool RepeatLastHint(); // F1

    bool HintsEnabled() const { return m_hintsEnabled; }
    void SetHintsEnabled(bool enabled) { m_hintsEnabled = enabled; }
    // The MHints command: its hint first, so switching off shows it once and switching on
    // nothing; returns the new state for the menu's check mark.
    bool ToggleHints();

    // Reads "demo_path.txt" from the folder; says so and keeps an empty list when it cannot.
    bool LoadExampleList();
    void SetExampleList(const QStringList& paths) { m_exampleList = paths; }
    const QStringList& ExampleList() const { return m_exampleList; }
    int CurrentExample() const { return m_currentExample; }
    void SetCurrentExample(int index) { m_currentExample = index; }
    QString ExamplePath(int index) const; // without extension; empty beyond the list and for a blank line

    // The example command once the chooser has given its entry: makes it the current example
    // and loads its document through load (true on success); a failed load brings the previous
    // example back, an entry the list does not have is refused with a message. A blank line of
    // the list is an entry whose load fails (load gets an empty path).
    bool RunExample(int index, const std::function<bool(const QString& documentPath)>& load);

    const QString& LastHintKey() const { return m_lastHintKey; }
    const QString& LastHintFile() const { return m_lastHintFile; }
    bool HintPending() const;

    // Shows text at the record's geometry; true.
    bool UserMessage(const HintRecord& record);
    // Looks key up in fileName (empty: the general hint file) and shows it.
    bool MessageFromFile(const QString& key, const QString& fileName);

private:
    void mTimerTimer();
    QString resolve(const QString& fileName) const;
    void complainOnce(const QString& what, const QString& message);

    HintView* m_view = nullptr;
    Messenger* m_messenger = nullptr;
    QString m_folder;
    bool m_hintsEnabled = true;
    QStringList m_exampleList;
    int m_currentExample = 0;
    QString m_lastHintKey = QStringLiteral("Help");
    QString m_lastHintFile;
    QString m_pendingHintKey = QStringLiteral("Редагування");
    bool m_pendingHintGeneral = true;
    QTimer* mTimer;
    bool m_showing = false;
    QList<HintRecord> m_waiting; // asked for while a hint was open
    QSet<QString> m_complaints; // a broken file is reported once, not at every hint it is asked for
};
