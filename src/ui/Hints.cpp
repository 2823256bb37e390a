#include "ui/Hints.h"

#include "model/Messenger.h"
#include "program/ProgramFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <utility>

Hints::Hints(QObject* parent)
    : QObject(parent)
    , mTimer(new QTimer(this))
{
    mTimer->setInterval(1);
    mTimer->setSingleShot(true);
    connect(mTimer, &QTimer::timeout, this, &Hints::mTimerTimer);
}

Hints::~Hints() = default;

QString Hints::resolve(const QString& fileName) const
{
    const QString name = fileName.isEmpty() ? GeneralHintFileName : fileName;
    return QDir::isRelativePath(name) ? QDir(m_folder).filePath(name) : name;
}

void Hints::complainOnce(const QString& what, const QString& message)
{
    if (m_complaints.contains(what))
        return;
    m_complaints.insert(what);
    if (m_messenger)
        m_messenger->ShowMessage(message);
}

bool Hints::UserMessage(const HintRecord& record)
{
    if (!m_view)
        return true;
    // The hint window is modal: a hint asked for while one is open (one whose timer fires inside
    // its event loop) waits until it is closed. Shown at once it would take the open window over,
    // end its loop and be lost with it.
    if (m_showing) {
        m_waiting.append(record);
        return true;
    }
    m_showing = true;
    m_view->UserMessage(record);
    while (!m_waiting.isEmpty())
        m_view->UserMessage(m_waiting.takeFirst());
    m_showing = false;
    return true;
}

bool Hints::MessageFromFile(const QString& key, const QString& fileName)
{
    if (!m_view)
        return false;
    if (!QFileInfo::exists(resolve(QString()))) {
        UserMessage(HintRecord { .Text = QStringLiteral("Фатальна помилка"), .Width = 300, .Height = 100 });
        m_view->EndApplication();
        return false;
    }
    const QString path = resolve(fileName);
    const HintLookup lookup = ReadHint(path, key);
    switch (lookup.Status) {
    case HintStatus::Found:
        return UserMessage(lookup.Record);
    case HintStatus::KeyMissing:
        return false;
    case HintStatus::CannotOpen:
        complainOnce(path,
            QStringLiteral("Не вдалося прочитати файл підказок \"%1\". Підказки з нього не показуватимуться.")
                .arg(QDir::toNativeSeparators(path)));
        return false;
    case HintStatus::Unterminated:
        complainOnce(path + u'#' + key,
            QStringLiteral("Підказка \"%1\" у файлі \"%2\" не закінчується рядком \"%\", тому не показується.")
                .arg(key, QDir::toNativeSeparators(path)));
        return false;
    }
    return false;
}

bool Hints::ShowHint(const QString& key, const QString& fileName)
{
    if (!m_hintsEnabled)
        return false;
    // Noted before it shows, so that a hint shown after it while it is open is the last one.
    // Copies: key and fileName may be the last hint's own fields (F1).
    const QString shownKey = key;
    const QString shownFile = fileName;
    const QString previousKey = std::exchange(m_lastHintKey, shownKey);
    const QString previousFile = std::exchange(m_lastHintFile, shownFile);
    const bool shown = MessageFromFile(shownKey, shownFile);
    if (!shown) {
        m_lastHintKey = previousKey;
        m_lastHintFile = previousFile;
    }
    return shown;
}

bool Hints::ShowExampleHint(const QString& key)
{
    if (!m_hintsEnabled)
        return false;
    const QString path = ExamplePath(m_currentExample);
    if (path.isEmpty())
        return false; // no example list: nothing to walk through
    return ShowHint(key, path + QStringLiteral(".txt"));
}

void Hints::ShowHintLater(const QString& key)
{
    m_pendingHintGeneral = true;
    m_pendingHintKey = key;
    mTimer->start();
}

void Hints::ShowExampleHintLater(const QString& key)
{
    m_pendingHintGeneral = false;
    m_pendingHintKey = key;
    mTimer->start();
}

bool Hints::HintPending() const
{
    return mTimer->isActive();
}

void Hints::mTimerTimer()
{
    mTimer->stop();
    if (m_pendingHintGeneral)
        ShowHint(m_pendingHintKey);
    else
        ShowExampleHint(m_pendingHintKey);
}

bool Hints::RepeatLastHint()
{
    return ShowHint(m_lastHintKey, m_lastHintFile);
}

bool Hints::ToggleHints()
{
    ShowHint(QStringLiteral("Виводити повідомлення"));
    m_hintsEnabled = !m_hintsEnabled;
    return m_hintsEnabled;
}

bool Hints::LoadExampleList()
{
    const auto list = ReadExampleList(m_folder);
    if (!list) {
        m_exampleList.clear();
        if (m_messenger) {
            m_messenger->ShowMessage(
                QStringLiteral("Не знайдено список прикладів \"%1\" у теці \"%2\". Програма працюватиме без прикладів.")
                    .arg(ExampleListFileName, QDir::toNativeSeparators(m_folder)));
        }
        return false;
    }
    m_exampleList = *list;
    return true;
}

QString Hints::ExamplePath(int index) const
{
    if (index < 0 || index >= m_exampleList.size())
        return QString();
    return m_exampleList[index];
}

bool Hints::RunExample(int index, const std::function<bool(const QString&)>& load)
{
    if (index < 0 || index >= m_exampleList.size()) {
        if (m_messenger) {
            m_messenger->ShowMessage(
                QStringLiteral("Прикладу %1 немає у списку прикладів \"%2\".").arg(index + 1).arg(ExampleListFileName));
        }
        return false;
    }
    const QString path = ExamplePath(index);
    const int previous = m_currentExample;
    m_currentExample = index;
    // A blank line of the list names no file: its load fails and says so like any other.
    if (load(path.isEmpty() ? QString() : path + QStringLiteral(".mrd")))
        return true;
    m_currentExample = previous;
    return false;
}
