#include "reports/ReportEngine.h"

#include "reports/LayoutEngine.h"

#include <QDir>

namespace rpt {

ReportEngine::ReportEngine()
    : m_dataSets { UserDataSet(QStringLiteral("frxUserDataSet1")), UserDataSet(QStringLiteral("frxUserDataSet2")),
        UserDataSet(QStringLiteral("frxUserDataSet3")) }
{
}

ReportEngine::~ReportEngine() = default;

void ReportEngine::loadTemplate(const QString& fileName)
{
    m_template = TemplateLoader::load(fileName);
}

void ReportEngine::loadTemplateXml(const QByteArray& xml, const QString& fileName)
{
    m_template = TemplateLoader::parse(xml, fileName);
}

ReportObject* ReportEngine::findObject(const QString& name) const
{
    return m_template ? m_template->find(name) : nullptr;
}

namespace {
    template <typename T> T* as(ReportObject* object, ObjectKind kind)
    {
        return object && object->kind() == kind ? static_cast<T*>(object) : nullptr;
    }
}

MemoObject* ReportEngine::memo(const QString& name) const
{
    return as<MemoObject>(findObject(name), ObjectKind::Memo);
}
Band* ReportEngine::band(const QString& name) const
{
    return as<Band>(findObject(name), ObjectKind::Band);
}
PictureObject* ReportEngine::picture(const QString& name) const
{
    return as<PictureObject>(findObject(name), ObjectKind::Picture);
}
CrossTabObject* ReportEngine::crossTab(const QString& name) const
{
    return as<CrossTabObject>(findObject(name), ObjectKind::CrossTab);
}

ReportObject& ReportEngine::object(const QString& name) const
{
    if (ReportObject* found = findObject(name))
        return *found;
    const QString file = m_template ? QDir::toNativeSeparators(m_template->fileName) : QString();
    throw ReportError(QStringLiteral("У шаблоні звіту \"%1\" немає об'єкта \"%2\"").arg(file, name));
}

UserDataSet* ReportEngine::dataSet(const QString& name)
{
    const QString key = ReportTemplate::foldName(name);
    for (auto& set : m_dataSets)
        if (ReportTemplate::foldName(set.name()) == key)
            return &set;
    return nullptr;
}

void ReportEngine::setVariable(const QString& name, const QString& value)
{
    m_variables.insert(ReportTemplate::foldName(name), value);
}

void ReportEngine::prepare(bool clear)
{
    if (!m_template)
        throw ReportError(QStringLiteral("Шаблон звіту не завантажено"));
    if (clear)
        m_prepared.clear();

    const QDate date = m_date.isValid() ? m_date : QDate::currentDate();
    LayoutEngine::Callbacks callbacks;
    callbacks.value = [this, date](const QString& name) -> QString {
        if (m_valueCallback) {
            if (std::optional<QString> value = m_valueCallback(name))
                return *value;
        }
        const QString key = ReportTemplate::foldName(name);
        auto found = m_variables.constFind(key);
        if (found != m_variables.constEnd())
            return *found;
        if (key == u"date")
            return date.toString(QStringLiteral("dd.MM.yyyy"));
        m_prepared.addWarning(QStringLiteral("Невідома змінна [%1]").arg(name));
        return QString();
    };
    callbacks.beforePrint = [this](ReportObject& object) {
        if (m_beforePrint)
            m_beforePrint(object);
    };
    callbacks.dataSet = [this](const QString& name) { return dataSet(name); };

    // A failing callback must not leave half a section behind.
    const PreparedReport::Mark mark = m_prepared.mark();
    try {
        LayoutEngine(*m_template, callbacks, m_prepared).run();
    } catch (...) {
        m_prepared.rollback(mark);
        throw;
    }
}

} // namespace rpt
