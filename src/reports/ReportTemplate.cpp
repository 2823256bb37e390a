#include "reports/ReportTemplate.h"

#include "reports/ReportError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSet>
#include <QXmlStreamReader>

namespace rpt {

QString ReportTemplate::foldName(const QString& name)
{
    return name.toCaseFolded();
}

Band& ReportTemplate::addBand(std::unique_ptr<Band> band)
{
    if (!band->name().isEmpty())
        m_index.insert(foldName(band->name()), band.get());
    for (const auto& object : band->objects())
        if (!object->name().isEmpty())
            m_index.insert(foldName(object->name()), object.get());
    m_bands.push_back(std::move(band));
    return *m_bands.back();
}

ReportObject* ReportTemplate::find(const QString& name) const
{
    return m_index.value(foldName(name), nullptr);
}

namespace {

    // Reads one template element by element; every fault throws with the file, line and column.
    class Parser {
    public:
        Parser(const QByteArray& xml, const QString& fileName)
            : m_xml(xml)
            , m_fileName(fileName)
        {
        }

        std::unique_ptr<ReportTemplate> run()
        {
            auto result = std::make_unique<ReportTemplate>();
            result->fileName = m_fileName;
            m_template = result.get();
            if (!nextElement())
                fail(QStringLiteral("немає елемента report"));
            if (m_xml.name() != u"report")
                fail(QStringLiteral("очікувався елемент report, а не %1").arg(m_xml.name()));
            checkAttributes({ u"version" });
            if (has(u"version") && number(u"version", 1) != 1)
                fail(QStringLiteral("невідома версія шаблону"));
            bool pageSeen = false;
            while (nextChild()) {
                if (m_xml.name() != u"page")
                    failUnknownElement();
                if (pageSeen)
                    fail(QStringLiteral("шаблон може мати лише одну сторінку"));
                pageSeen = true;
                readPage();
            }
            if (!pageSeen)
                fail(QStringLiteral("немає елемента page"));
            while (!m_xml.atEnd()) {
                m_xml.readNext();
                if (m_xml.isStartElement())
                    failUnknownElement();
            }
            if (m_xml.hasError())
                failXml();
            return result;
        }

    private:
        [[noreturn]] void fail(const QString& what)
        {
            throw ReportError(QStringLiteral("Помилка в шаблоні звіту \"%1\", рядок %2, позиція %3: %4")
                                  .arg(QDir::toNativeSeparators(m_fileName))
                                  .arg(m_xml.lineNumber())
                                  .arg(m_xml.columnNumber())
                                  .arg(what));
        }
        [[noreturn]] void failXml() { fail(m_xml.errorString()); }
        [[noreturn]] void failUnknownElement() { fail(QStringLiteral("невідомий елемент %1").arg(m_xml.name())); }

        // The next start element anywhere; false at the end of the document.
        bool nextElement()
        {
            while (!m_xml.atEnd()) {
                m_xml.readNext();
                if (m_xml.isStartElement())
                    return true;
            }
            if (m_xml.hasError())
                failXml();
            return false;
        }

        // The next child element of the current one; false at its end. Text between elements must
        // be blank.
        bool nextChild()
        {
            while (!m_xml.atEnd()) {
                m_xml.readNext();
                if (m_xml.isStartElement())
                    return true;
                if (m_xml.isEndElement())
                    return false;
                if (m_xml.isCharacters() && !m_xml.isWhitespace())
                    fail(QStringLiteral("зайвий текст \"%1\"").arg(m_xml.text().trimmed()));
            }
            if (m_xml.hasError())
                failXml();
            return false;
        }

        void checkAttributes(std::initializer_list<QStringView> allowed)
        {
            for (const auto& attribute : m_xml.attributes()) {
                bool known = false;
                for (QStringView name : allowed)
                    known = known || attribute.name() == name;
                if (!known)
                    fail(QStringLiteral("невідомий атрибут %1 елемента %2").arg(attribute.name(), m_xml.name()));
            }
        }

        bool has(QStringView name) const { return m_xml.attributes().hasAttribute(name.toString()); }
        QString raw(QStringView name) const { return m_xml.attributes().value(name.toString()).toString(); }
        QString text(QStringView name, const QString& fallback = QString()) const
        {
            return has(name) ? raw(name) : fallback;
        }

        double number(QStringView name, double fallback, double min = -1e6, double max = 1e6)
        {
            if (!has(name))
                return fallback;
            const QString value = raw(name);
            bool ok = false;
            const double result = QLocale::c().toDouble(value.trimmed(), &ok);
            if (!ok)
                fail(QStringLiteral("атрибут %1: \"%2\" не є числом").arg(name, value));
            if (!(result >= min && result <= max))
                fail(QStringLiteral("атрибут %1: %2 поза межами від %3 до %4").arg(name, value).arg(min).arg(max));
            return result;
        }

        int integer(QStringView name, int fallback, int min, int max)
        {
            if (!has(name))
                return fallback;
            const QString value = raw(name);
            bool ok = false;
            const int result = QLocale::c().toInt(value.trimmed(), &ok);
            if (!ok)
                fail(QStringLiteral("атрибут %1: \"%2\" не є цілим числом").arg(name, value));
            if (result < min || result > max)
                fail(QStringLiteral("атрибут %1: %2 поза межами від %3 до %4").arg(name, value).arg(min).arg(max));
            return result;
        }

        bool boolean(QStringView name, bool fallback)
        {
            if (!has(name))
                return fallback;
            const QString value = raw(name).trimmed();
            if (value == u"true" || value == u"1")
                return true;
            if (value == u"false" || value == u"0")
                return false;
            fail(QStringLiteral("атрибут %1: \"%2\" має бути true або false").arg(name, value));
        }

        QColor color(QStringView name, const QColor& fallback)
        {
            if (!has(name))
                return fallback;
            const QString value = raw(name).trimmed();
            if (!QColor::isValidColorName(value))
                fail(QStringLiteral("атрибут %1: \"%2\" не є кольором").arg(name, value));
            return QColor::fromString(value);
        }

        template <typename T>
        T choice(QStringView name, T fallback, std::initializer_list<std::pair<QStringView, T>> options)
        {
            if (!has(name))
                return fallback;
            const QString value = raw(name).trimmed();
            QStringList names;
            for (const auto& [text, result] : options) {
                if (value == text)
                    return result;
                names.append(text.toString());
            }
            fail(QStringLiteral("атрибут %1: \"%2\" має бути одним з: %3").arg(name, value, names.join(u", ")));
        }

        QString uniqueName(bool required)
        {
            const QString name = text(u"name").trimmed();
            if (name.isEmpty()) {
                if (required)
                    fail(QStringLiteral("елемент %1 не має імені (name)").arg(m_xml.name()));
                return name;
            }
            const QString key = ReportTemplate::foldName(name);
            if (m_names.contains(key))
                fail(QStringLiteral("ім'я \"%1\" вже використано").arg(name));
            m_names.insert(key);
            return name;
        }

        FrameStyle frame(const FrameStyle& fallback)
        {
            FrameStyle result = fallback;
            if (has(u"frame")) {
                result.sides = NoFrame;
                const QString value = text(u"frame").trimmed();
                for (QChar c : value) {
                    switch (c.unicode()) {
                    case 'l':
                        result.sides |= FrameLeft;
                        break;
                    case 't':
                        result.sides |= FrameTop;
                        break;
                    case 'r':
                        result.sides |= FrameRight;
                        break;
                    case 'b':
                        result.sides |= FrameBottom;
                        break;
                    default:
                        fail(QStringLiteral("атрибут frame: \"%1\" має складатися з літер l, t, r, b").arg(value));
                    }
                }
            }
            result.widthMm = number(u"frameWidth", result.widthMm, 0, 10);
            result.color = color(u"frameColor", result.color);
            return result;
        }

        FontStyle font(bool allowStyle)
        {
            FontStyle result;
            result.family = text(u"font").trimmed();
            result.sizePt = number(u"fontSize", 0, 1, 200);
            if (allowStyle) {
                result.bold = boolean(u"bold", false);
                result.italic = boolean(u"italic", false);
                result.underline = boolean(u"underline", false);
            }
            return result;
        }

        QRectF box(bool heightRequired)
        {
            for (QStringView name : { u"x", u"y", u"w" })
                if (!has(name))
                    fail(QStringLiteral("елемент %1 не має атрибута %2").arg(m_xml.name(), name));
            if (heightRequired && !has(u"h"))
                fail(QStringLiteral("елемент %1 не має атрибута h").arg(m_xml.name()));
            return QRectF(number(u"x", 0, -1000, 1000), number(u"y", 0, -1000, 1000), number(u"w", 0, 0, 1000),
                number(u"h", 0, 0, 1000));
        }

        void readPage()
        {
            checkAttributes({ u"paper", u"orientation", u"width", u"height", u"marginLeft", u"marginRight",
                u"marginTop", u"marginBottom", u"font", u"fontSize", u"printOnPreviousPage" });
            PageDef& page = m_template->page;
            QSizeF paper = choice<QSizeF>(u"paper", QSizeF(210, 297),
                { { u"A4", QSizeF(210, 297) }, { u"A5", QSizeF(148, 210) }, { u"A3", QSizeF(297, 420) },
                    { u"Letter", QSizeF(215.9, 279.4) } });
            paper.setWidth(number(u"width", paper.width(), 50, 2000));
            paper.setHeight(number(u"height", paper.height(), 50, 2000));
            if (choice<bool>(u"orientation", false, { { u"portrait", false }, { u"landscape", true } }))
                paper.transpose();
            page.paperMm = paper;
            page.marginLeftMm = number(u"marginLeft", page.marginLeftMm, 0, 500);
            page.marginRightMm = number(u"marginRight", page.marginRightMm, 0, 500);
            page.marginTopMm = number(u"marginTop", page.marginTopMm, 0, 500);
            page.marginBottomMm = number(u"marginBottom", page.marginBottomMm, 0, 500);
            if (page.marginLeftMm + page.marginRightMm >= paper.width() - 10
                || page.marginTopMm + page.marginBottomMm >= paper.height() - 10)
                fail(QStringLiteral("поля не залишають місця на сторінці"));
            page.fontFamily = text(u"font", page.fontFamily).trimmed();
            page.fontSizePt = number(u"fontSize", page.fontSizePt, 1, 200);
            page.printOnPreviousPage = boolean(u"printOnPreviousPage", false);

            while (nextChild()) {
                if (m_xml.name() != u"band")
                    failUnknownElement();
                readBand();
            }
        }

        void readBand()
        {
            checkAttributes({ u"type", u"name", u"height", u"dataSet", u"rowCount", u"headerRows", u"for",
                u"repeatOnNewPage", u"startNewPage" });
            auto band = std::make_unique<Band>();
            if (!has(u"type"))
                fail(QStringLiteral("елемент band не має атрибута type"));
            band->type = choice<BandType>(u"type", BandType::Data,
                { { u"pageHeader", BandType::PageHeader }, { u"title", BandType::Title },
                    { u"header", BandType::Header }, { u"data", BandType::Data }, { u"footer", BandType::Footer },
                    { u"summary", BandType::Summary }, { u"pageFooter", BandType::PageFooter } });
            band->setName(uniqueName(false));
            band->heightMm = number(u"height", 0, 0, 2000);
            const double width = m_template->page.bodyWidthMm();
            band->setRectMm(QRectF(0, 0, width, band->heightMm));
            const bool data = band->type == BandType::Data;
            if (!data && (has(u"dataSet") || has(u"rowCount")))
                fail(QStringLiteral("лише смуга даних (type=\"data\") має dataSet і rowCount"));
            band->dataSetName = text(u"dataSet").trimmed();
            if (has(u"dataSet")) {
                const QString key = ReportTemplate::foldName(band->dataSetName);
                if (key != u"frxuserdataset1" && key != u"frxuserdataset2" && key != u"frxuserdataset3")
                    fail(QStringLiteral("невідомий набір даних \"%1\"").arg(band->dataSetName));
            }
            band->setRowCount(integer(u"rowCount", 1, 0, 1000000));
            if (!data && has(u"headerRows"))
                fail(QStringLiteral("атрибут headerRows мають лише смуги даних"));
            band->headerRows = integer(u"headerRows", 0, 0, 100);
            if (has(u"for") && band->type != BandType::Header && band->type != BandType::Footer)
                fail(QStringLiteral("атрибут for мають лише смуги header і footer"));
            band->forBand = text(u"for").trimmed();
            if (has(u"repeatOnNewPage") && band->type != BandType::Header)
                fail(QStringLiteral("атрибут repeatOnNewPage мають лише смуги header"));
            band->repeatOnNewPage = boolean(u"repeatOnNewPage", false);
            band->startNewPage = boolean(u"startNewPage", false);
            const bool pageBand = band->type == BandType::PageHeader || band->type == BandType::PageFooter;
            if (pageBand) {
                for (const auto& other : m_template->bands())
                    if (other->type == band->type)
                        fail(QStringLiteral("шаблон може мати лише одну смугу %1").arg(text(u"type")));
            }

            while (nextChild()) {
                const auto name = m_xml.name();
                if (name == u"memo")
                    band->addObject(readMemo());
                else if (name == u"picture")
                    band->addObject(readPicture());
                else if (name == u"line")
                    band->addObject(readLine());
                else if (name == u"crosstab") {
                    if (pageBand)
                        fail(QStringLiteral("таблиця crosstab не може бути в смузі сторінки"));
                    band->addObject(readCrossTab());
                } else
                    failUnknownElement();
            }
            m_template->addBand(std::move(band));
        }

        std::unique_ptr<ReportObject> readMemo()
        {
            checkAttributes({ u"name", u"x", u"y", u"w", u"h", u"font", u"fontSize", u"bold", u"italic", u"underline",
                u"color", u"align", u"valign", u"wrap", u"stretch", u"frame", u"frameWidth", u"frameColor", u"fill",
                u"padding" });
            auto memo = std::make_unique<MemoObject>();
            memo->setName(uniqueName(false));
            memo->setRectMm(box(true));
            memo->font = font(true);
            memo->setFontColor(color(u"color", Qt::black));
            const Qt::Alignment horizontal = choice<Qt::Alignment>(u"align", Qt::AlignLeft,
                { { u"left", Qt::AlignLeft }, { u"center", Qt::AlignHCenter }, { u"right", Qt::AlignRight },
                    { u"justify", Qt::AlignJustify } });
            const Qt::Alignment vertical = choice<Qt::Alignment>(u"valign", Qt::AlignTop,
                { { u"top", Qt::AlignTop }, { u"center", Qt::AlignVCenter }, { u"bottom", Qt::AlignBottom } });
            memo->alignment = horizontal | vertical;
            memo->wordWrap = boolean(u"wrap", true);
            memo->stretch = choice<Stretch>(u"stretch", Stretch::None,
                { { u"none", Stretch::None }, { u"actual", Stretch::Actual }, { u"max", Stretch::Max } });
            memo->frame = frame(FrameStyle {});
            memo->fill = color(u"fill", QColor());
            memo->paddingMm = number(u"padding", memo->paddingMm, 0, 50);
            QString content;
            while (!m_xml.atEnd()) {
                m_xml.readNext();
                if (m_xml.isCharacters())
                    content += m_xml.text();
                else if (m_xml.isStartElement())
                    fail(QStringLiteral("елемент memo не може містити елементів"));
                else if (m_xml.isEndElement())
                    break;
            }
            if (m_xml.hasError())
                failXml();
            content.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            memo->setText(content);
            return memo;
        }

        std::unique_ptr<ReportObject> readPicture()
        {
            checkAttributes(
                { u"name", u"x", u"y", u"w", u"h", u"fit", u"align", u"frame", u"frameWidth", u"frameColor" });
            auto picture = std::make_unique<PictureObject>();
            picture->setName(uniqueName(false));
            picture->setRectMm(box(true));
            picture->fit = choice<PictureFit>(u"fit", PictureFit::KeepAspect,
                { { u"keepAspect", PictureFit::KeepAspect }, { u"stretch", PictureFit::Stretch },
                    { u"clip", PictureFit::Clip } });
            picture->alignment
                = choice<Qt::Alignment>(u"align", Qt::AlignLeft,
                      { { u"left", Qt::AlignLeft }, { u"center", Qt::AlignHCenter }, { u"right", Qt::AlignRight } })
                | Qt::AlignTop;
            picture->frame = frame(FrameStyle {});
            endEmpty();
            return picture;
        }

        std::unique_ptr<ReportObject> readLine()
        {
            checkAttributes({ u"name", u"x1", u"y1", u"x2", u"y2", u"width", u"color" });
            auto line = std::make_unique<LineObject>();
            line->setName(uniqueName(false));
            for (QStringView name : { u"x1", u"y1", u"x2", u"y2" })
                if (!has(name))
                    fail(QStringLiteral("елемент line не має атрибута %1").arg(name));
            line->from = QPointF(number(u"x1", 0, -1000, 1000), number(u"y1", 0, -1000, 1000));
            line->to = QPointF(number(u"x2", 0, -1000, 1000), number(u"y2", 0, -1000, 1000));
            line->widthMm = number(u"width", line->widthMm, 0, 10);
            line->color = color(u"color", line->color);
            line->setRectMm(QRectF(line->from, line->to).normalized());
            endEmpty();
            return line;
        }

        std::unique_ptr<ReportObject> readCrossTab()
        {
            checkAttributes({ u"name", u"x", u"y", u"w", u"h", u"font", u"fontSize", u"bold", u"padding",
                u"minColWidth", u"maxColWidth", u"maxRowHeaderWidth", u"rowHeaderTitle", u"repeatHeaders",
                u"frameWidth", u"frameColor", u"headerFill" });
            auto cross = std::make_unique<CrossTabObject>();
            cross->setName(uniqueName(false));
            cross->setRectMm(box(false));
            cross->font = font(false);
            cross->font.bold = boolean(u"bold", false);
            cross->paddingMm = number(u"padding", cross->paddingMm, 0, 20);
            cross->minColumnWidthMm = number(u"minColWidth", cross->minColumnWidthMm, 1, 1000);
            cross->maxColumnWidthMm = number(u"maxColWidth", cross->maxColumnWidthMm, 1, 1000);
            if (cross->maxColumnWidthMm < cross->minColumnWidthMm)
                fail(QStringLiteral("maxColWidth менше за minColWidth"));
            cross->maxRowHeaderWidthMm = number(u"maxRowHeaderWidth", cross->maxRowHeaderWidthMm, 1, 1000);
            cross->rowHeaderTitle = text(u"rowHeaderTitle");
            cross->repeatHeaders = boolean(u"repeatHeaders", true);
            FrameStyle all { FrameAll, 0.2, Qt::black };
            cross->frame.widthMm = number(u"frameWidth", all.widthMm, 0, 10);
            cross->frame.color = color(u"frameColor", all.color);
            cross->headerFill = color(u"headerFill", QColor());
            endEmpty();
            return cross;
        }

        void endEmpty()
        {
            const QString element = m_xml.name().toString();
            if (nextChild())
                fail(QStringLiteral("елемент %1 не може містити елементів").arg(element));
        }

        QXmlStreamReader m_xml;
        QString m_fileName;
        ReportTemplate* m_template = nullptr;
        QSet<QString> m_names;
    };

} // namespace

std::unique_ptr<ReportTemplate> TemplateLoader::parse(const QByteArray& xml, const QString& fileName)
{
    return Parser(xml, fileName).run();
}

std::unique_ptr<ReportTemplate> TemplateLoader::load(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw ReportError(QStringLiteral("Не вдалося відкрити шаблон звіту \"%1\": %2")
                              .arg(QDir::toNativeSeparators(fileName), file.errorString()));
    // A template is small; anything huge is not one of ours.
    if (file.size() > 16 * 1024 * 1024)
        throw ReportError(QStringLiteral("Шаблон звіту \"%1\" завеликий").arg(QDir::toNativeSeparators(fileName)));
    return parse(file.readAll(), fileName);
}

} // namespace rpt
