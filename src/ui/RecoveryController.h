#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

class MeasurementDocument;
class Messenger;
class RecoveryStore;
struct RecoveryCopy;
class TMainForm;

// Keeps a recovery copy of a window's document while it has unsaved changes, so that a crash or
// a power cut loses at most the last moments of work.
//
// An edit arms a timer, so the copy is at most Interval behind the document; a table operation,
// an import or a paste (rows or cells rewritten in bulk) writes it as soon as the event is over.
// The copy goes when the document counts as unchanged again (saved, loaded, new) and when the
// window closes with its changes declined. A copy that cannot be written is said once; the
// program goes on.
class RecoveryController : public QObject {
    Q_OBJECT
public:
    static constexpr int DefaultIntervalMs = 30000;

    // store: nullptr for the user's data folder.
    RecoveryController(MeasurementDocument& doc, Messenger& messenger, std::shared_ptr<RecoveryStore> store = {},
        QObject* parent = nullptr);
    ~RecoveryController() override; // keeps the copy: only a close with its changes declined drops it

    void SetInterval(int milliseconds) { m_timer.setInterval(milliseconds); }
    // Runs before each copy is written (the window logs a pending change, so the copy keeps it).
    void SetBeforeWrite(std::function<void()> beforeWrite) { m_beforeWrite = std::move(beforeWrite); }
    QString CopyId() const { return m_id; }
    RecoveryStore& Store() { return *m_store; }

    // Writes the copy now when the document has changes the copy lacks. False when writing failed.
    bool WriteNow();
    // The window closes and its changes were declined (or there were none): the copy goes.
    void DocumentClosed();

    // At start-up: every copy left by a window that is gone is offered in turn, "Відновити",
    // "Відкинути" or "Пізніше". A copy restored goes into the window windowFor gives (nullptr:
    // kept for later). Copies that cannot be read are reported and kept. Returns how many were restored.
    static int OfferCopies(RecoveryStore& store, Messenger& messenger, const std::function<TMainForm*()>& windowFor);
    // Fills window from copy: its file name, marked changed, the copy now the window's own.
    // False, with a message and the copy kept, when it cannot be read.
    static bool Restore(RecoveryStore& store, const RecoveryCopy& copy, TMainForm& window, Messenger& messenger);

    static QString OfferQuestion(const QString& originalFileName, const QDateTime& time);
    static QString UnreadableMessage(const QString& copyPath, const QString& reason);
    static QString WriteFailedMessage(const QString& reason);

private:
    void edited();
    void bulkEdit();
    void changedFlagChanged(bool changed);

    MeasurementDocument& m_doc;
    Messenger& m_messenger;
    std::shared_ptr<RecoveryStore> m_store;
    QString m_id;
    std::function<void()> m_beforeWrite;
    QTimer m_timer; // edits: at most Interval behind
    QTimer m_soon; // bulk edits: once the event is over
    bool m_dirty = false; // the document has edits the copy lacks
    bool m_written = false; // a copy of this window is on disk
    bool m_failureShown = false;
};
