#include "ui/RecoveryController.h"

#include "model/DocumentFile.h"
#include "model/MeasurementDocument.h"
#include "model/Messenger.h"
#include "program/RecoveryStore.h"
#include "ui/MainForm.h"

#include <QDir>

RecoveryController::RecoveryController(
    MeasurementDocument& doc, Messenger& messenger, std::shared_ptr<RecoveryStore> store, QObject* parent)
    : QObject(parent)
    , m_doc(doc)
    , m_messenger(messenger)
    , m_store(store ? std::move(store) : std::make_shared<RecoveryStore>())
    , m_id(RecoveryStore::NewId())
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(DefaultIntervalMs);
    m_soon.setSingleShot(true);
    m_soon.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &RecoveryController::WriteNow);
    connect(&m_soon, &QTimer::timeout, this, &RecoveryController::WriteNow);
    connect(&m_doc, &MeasurementDocument::edited, this, &RecoveryController::edited);
    connect(&m_doc, &MeasurementDocument::changedFlagChanged, this, &RecoveryController::changedFlagChanged);
    // Table operations, imports and pastes rewrite rows or cells in bulk; their edit is marked
    // around these signals, so the copy waits for the end of the event.
    connect(&m_doc, &MeasurementDocument::rowsInserted, this, &RecoveryController::bulkEdit);
    connect(&m_doc, &MeasurementDocument::rowsRemoved, this, &RecoveryController::bulkEdit);
    connect(&m_doc, &MeasurementDocument::cellsChanged, this, &RecoveryController::bulkEdit);
    connect(&m_doc, &MeasurementDocument::tableReset, this, &RecoveryController::bulkEdit);
}

RecoveryController::~RecoveryController() = default;

void RecoveryController::edited()
{
    m_dirty = true;
    if (!m_timer.isActive())
        m_timer.start();
}

void RecoveryController::bulkEdit()
{
    m_soon.start();
}

void RecoveryController::changedFlagChanged(bool changed)
{
    if (changed)
        return;
    // Saved, or replaced by a document read from its file: nothing left to recover.
    DocumentClosed();
}

bool RecoveryController::WriteNow()
{
    m_timer.stop();
    m_soon.stop();
    if (!m_dirty || !m_doc.HasDocument() || !m_doc.Changed())
        return true;
    if (m_beforeWrite)
        m_beforeWrite();
    QString error;
    if (!m_store->Write(m_id, DocumentFileBytes(m_doc), m_doc.FileName(), &error)) {
        if (!m_failureShown) {
            m_failureShown = true;
            m_messenger.ShowMessage(WriteFailedMessage(error));
        }
        return false;
    }
    m_dirty = false;
    m_written = true;
    m_failureShown = false;
    return true;
}

void RecoveryController::DocumentClosed()
{
    m_timer.stop();
    m_soon.stop();
    m_dirty = false;
    if (m_written)
        m_store->Remove(m_id);
    m_written = false;
}

QString RecoveryController::OfferQuestion(const QString& originalFileName, const QDateTime& time)
{
    const QString name
        = originalFileName.isEmpty() ? QStringLiteral("без назви") : QDir::toNativeSeparators(originalFileName);
    return QStringLiteral("Знайдено копію відновлення документа «%1» від %2. Відновити її?")
        .arg(name, time.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")));
}

QString RecoveryController::UnreadableMessage(const QString& copyPath, const QString& reason)
{
    return QStringLiteral("Копію відновлення «%1» не вдалося прочитати (%2). Її залишено на місці.")
        .arg(QDir::toNativeSeparators(copyPath), reason);
}

QString RecoveryController::WriteFailedMessage(const QString& reason)
{
    return QStringLiteral("Не вдалося записати копію відновлення документа (%1). Робота триває, але в разі збою "
                          "незбережені зміни буде втрачено.")
        .arg(reason);
}

int RecoveryController::OfferCopies(
    RecoveryStore& store, Messenger& messenger, const std::function<TMainForm*()>& windowFor)
{
    enum Button { RestoreButton, DiscardButton, LaterButton };
    static const QStringList buttons
        = { QStringLiteral("Відновити"), QStringLiteral("Відкинути"), QStringLiteral("Пізніше") };
    int restored = 0;
    for (const RecoveryCopy& copy : store.TakeUpOrphans()) {
        if (!copy.Problem.isEmpty()) {
            messenger.ShowMessage(UnreadableMessage(copy.CopyPath, copy.Problem));
            store.Release(copy.Id);
            continue;
        }
        switch (messenger.AskChoice(OfferQuestion(copy.OriginalFileName, copy.Time), buttons)) {
        case RestoreButton:
            if (TMainForm* window = windowFor()) {
                if (Restore(store, copy, *window, messenger))
                    ++restored;
            } else {
                store.Release(copy.Id);
            }
            break;
        case DiscardButton:
            store.Remove(copy.Id);
            break;
        default:
            store.Release(copy.Id);
            break;
        }
    }
    return restored;
}

bool RecoveryController::Restore(
    RecoveryStore& store, const RecoveryCopy& copy, TMainForm& window, Messenger& messenger)
{
    // Read into a document of its own first: a damaged copy must not leave half a document in the window.
    {
        SilentMessenger silent;
        MeasurementDocument trial(silent);
        if (!LoadDocument(trial, copy.CopyPath)) {
            messenger.ShowMessage(UnreadableMessage(copy.CopyPath, LoadErrorText()));
            store.Release(copy.Id);
            return false;
        }
    }
    if (!window.OpenDocument(copy.CopyPath)) {
        store.Release(copy.Id);
        return false;
    }
    MeasurementDocument& doc = window.Document();
    doc.SetFileName(copy.OriginalFileName);
    // Changed, so that the analyst saves it on purpose; the window's own copy takes over from this one.
    doc.MarkChanged();
    auto* controller = window.findChild<RecoveryController*>(QString(), Qt::FindDirectChildrenOnly);
    if (controller && controller->WriteNow())
        store.Remove(copy.Id);
    else
        store.Release(copy.Id);
    return true;
}
