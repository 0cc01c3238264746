#include "foundation/PropertyList.h"

#include <QDateTime>
#include <QFile>
#include <QSaveFile>
#include <QStringList>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>
#include <cmath>
#include <limits>

namespace knvt {

namespace {

constexpr char kDocumentType[] =
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">";

Error makeError(qint64 code, const QString &description, const QString &path = {})
{
    QVariantMap userInfo{{QStringLiteral("NSDebugDescription"), description}};
    if (!path.isEmpty())
        userInfo.insert(QStringLiteral("NSFilePath"), path);
    return Error(QString::fromLatin1(NSCocoaErrorDomain), code, userInfo);
}

class Reader
{
public:
    explicit Reader(const QByteArray &data) : m_xml(data) {}

    QVariant readDocument()
    {
        if (!nextElement() || !m_xml.isStartElement() || m_xml.name() != QLatin1String("plist"))
            return fail(QStringLiteral("the document is not a property list"));
        if (!nextElement() || !m_xml.isStartElement())
            return fail(QStringLiteral("the property list holds no value"));
        QVariant root = readValue(1);
        if (!root.isValid())
            return {};
        if (!nextElement() || !m_xml.isEndElement())
            return fail(QStringLiteral("the property list holds more than one value"));
        // Whatever follows the plist element may only be comments and white space; the stream reader rejects a
        // second root element and a truncated document.
        while (!m_xml.atEnd())
            m_xml.readNext();
        if (m_xml.hasError())
            return fail(m_xml.errorString());
        return root;
    }

    QString problem() const { return m_problem; }

private:
    QVariant fail(const QString &what)
    {
        if (m_problem.isEmpty())
            m_problem = QStringLiteral("%1 (line %2, column %3)")
                            .arg(m_xml.hasError() ? m_xml.errorString() : what)
                            .arg(m_xml.lineNumber())
                            .arg(m_xml.columnNumber());
        return {};
    }

    // Moves to the next start or end tag, stepping over white space, comments and the DOCTYPE.
    bool nextElement()
    {
        while (!m_xml.atEnd()) {
            switch (m_xml.readNext()) {
            case QXmlStreamReader::StartElement:
            case QXmlStreamReader::EndElement: return true;
            case QXmlStreamReader::Characters:
                if (!m_xml.isWhitespace())
                    return false;
                break;
            case QXmlStreamReader::Invalid:
            case QXmlStreamReader::EndDocument: return false;
            default: break;
            }
        }
        return false;
    }

    bool readText(QString *text)
    {
        *text = m_xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
        return !m_xml.hasError();
    }

    QVariant readValue(int depth)
    {
        if (depth > PropertyList::kMaximumDepth)
            return fail(QStringLiteral("the property list is nested too deeply"));
        const QString name = m_xml.name().toString();
        if (name == QLatin1String("dict"))
            return readDictionary(depth);
        if (name == QLatin1String("array"))
            return readArray(depth);

        QString text;
        if (!readText(&text))
            return fail({});
        if (name == QLatin1String("string"))
            return text;
        if (name == QLatin1String("true") || name == QLatin1String("false")) {
            if (!text.trimmed().isEmpty())
                return fail(QStringLiteral("<%1> holds text").arg(name));
            return name == QLatin1String("true");
        }
        if (name == QLatin1String("integer"))
            return readInteger(text.trimmed());
        if (name == QLatin1String("real"))
            return readReal(text.trimmed());
        if (name == QLatin1String("date"))
            return readDate(text.trimmed());
        if (name == QLatin1String("data"))
            return readData(text);
        return fail(QStringLiteral("unknown element <%1>").arg(name));
    }

    QVariant readDictionary(int depth)
    {
        QVariantMap dictionary;
        while (nextElement()) {
            if (m_xml.isEndElement())
                return dictionary;
            if (m_xml.name() != QLatin1String("key"))
                return fail(QStringLiteral("a dict entry without a key"));
            QString key;
            if (!readText(&key))
                return fail({});
            if (!nextElement() || !m_xml.isStartElement())
                return fail(QStringLiteral("the key \"%1\" has no value").arg(key));
            QVariant value = readValue(depth + 1);
            if (!value.isValid())
                return {};
            dictionary.insert(key, value);
        }
        return fail(QStringLiteral("unterminated <dict>"));
    }

    QVariant readArray(int depth)
    {
        QVariantList array;
        while (nextElement()) {
            if (m_xml.isEndElement())
                return array;
            QVariant value = readValue(depth + 1);
            if (!value.isValid())
                return {};
            array.append(value);
        }
        return fail(QStringLiteral("unterminated <array>"));
    }

    QVariant readInteger(const QString &text)
    {
        bool ok = false;
        const qlonglong value = text.toLongLong(&ok, 10);
        if (ok)
            return value;
        const qulonglong large = text.toULongLong(&ok, 10);
        if (ok)
            return large;
        return fail(QStringLiteral("\"%1\" is not an integer").arg(text));
    }

    QVariant readReal(const QString &text)
    {
        const QString lower = text.toLower();
        if (lower == QLatin1String("nan"))
            return std::numeric_limits<double>::quiet_NaN();
        if (lower == QLatin1String("+infinity") || lower == QLatin1String("infinity") || lower == QLatin1String("inf")
            || lower == QLatin1String("+inf"))
            return std::numeric_limits<double>::infinity();
        if (lower == QLatin1String("-infinity") || lower == QLatin1String("-inf"))
            return -std::numeric_limits<double>::infinity();
        bool ok = false;
        const double value = text.toDouble(&ok);
        if (!ok)
            return fail(QStringLiteral("\"%1\" is not a real number").arg(text));
        return value;
    }

    QVariant readDate(const QString &text)
    {
        // Only UTC is written; a date without its "Z" would otherwise be read in whatever zone the reader is in.
        const QDateTime date =
            text.endsWith(QLatin1Char('Z')) ? QDateTime::fromString(text, Qt::ISODateWithMs) : QDateTime();
        if (!date.isValid())
            return fail(QStringLiteral("\"%1\" is not a date").arg(text));
        return date.toUTC();
    }

    QVariant readData(const QString &text)
    {
        QByteArray encoded = text.toLatin1();
        encoded.removeIf([](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; });
        auto decoded = QByteArray::fromBase64Encoding(encoded, QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded)
            return fail(QStringLiteral("<data> is not base64"));
        return *decoded;
    }

    QXmlStreamReader m_xml;
    QString m_problem;
};

bool isXmlCharacter(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)
        || (c >= 0x10000 && c <= 0x10FFFF);
}

bool isWritableText(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        if (c.isSurrogate() || !isXmlCharacter(c.unicode()))
            return false;
    }
    return true;
}

class Writer
{
public:
    explicit Writer(QByteArray *data) : m_xml(data)
    {
        m_xml.setAutoFormatting(true);
        m_xml.setAutoFormattingIndent(-1);
    }

    bool writeDocument(const QVariant &root)
    {
        m_xml.writeStartDocument();
        m_xml.writeDTD(QString::fromLatin1(kDocumentType));
        m_xml.writeStartElement(QStringLiteral("plist"));
        m_xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
        if (!writeValue(root, 1))
            return false;
        m_xml.writeEndElement();
        m_xml.writeEndDocument();
        return !m_xml.hasError();
    }

    QString problem() const { return m_problem; }

private:
    bool fail(const QString &what)
    {
        m_problem = what;
        return false;
    }

    bool writeText(const QString &element, const QString &text)
    {
        if (!isWritableText(text))
            return fail(QStringLiteral("a string holds characters that XML cannot carry"));
        if (!text.contains(QLatin1Char('\r'))) {
            m_xml.writeTextElement(element, text);
            return true;
        }
        // A reader turns a literal carriage return into a line feed; only a character reference survives.
        m_xml.writeStartElement(element);
        const QStringList lines = text.split(QLatin1Char('\r'));
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0)
                m_xml.writeEntityReference(QStringLiteral("#13"));
            m_xml.writeCharacters(lines.at(i));
        }
        m_xml.writeEndElement();
        return true;
    }

    bool writeDictionary(const QStringList &keys, const auto &dictionary, int depth)
    {
        m_xml.writeStartElement(QStringLiteral("dict"));
        for (const QString &key : keys) {
            if (!writeText(QStringLiteral("key"), key) || !writeValue(dictionary.value(key), depth + 1))
                return false;
        }
        m_xml.writeEndElement();
        return true;
    }

    bool writeArray(const QVariantList &array, int depth)
    {
        m_xml.writeStartElement(QStringLiteral("array"));
        for (const QVariant &value : array) {
            if (!writeValue(value, depth + 1))
                return false;
        }
        m_xml.writeEndElement();
        return true;
    }

    bool writeReal(double value)
    {
        QString text;
        if (std::isnan(value))
            text = QStringLiteral("nan");
        else if (std::isinf(value))
            text = value > 0 ? QStringLiteral("+infinity") : QStringLiteral("-infinity");
        else
            text = QString::number(value, 'g', QLocale::FloatingPointShortest);
        m_xml.writeTextElement(QStringLiteral("real"), text);
        return true;
    }

    bool writeDate(const QDateTime &date)
    {
        // Years outside 1...9999 have no four-digit ISO form and could not be read back.
        if (!date.isValid())
            return fail(QStringLiteral("an invalid date"));
        const QDateTime utc = date.toUTC();
        if (utc.date().year() < 1 || utc.date().year() > 9999)
            return fail(QStringLiteral("a date outside the years 1 to 9999"));
        const bool wholeSeconds = utc.time().msec() == 0;
        m_xml.writeTextElement(QStringLiteral("date"), utc.toString(wholeSeconds ? Qt::ISODate : Qt::ISODateWithMs));
        return true;
    }

    bool writeValue(const QVariant &value, int depth)
    {
        if (depth > PropertyList::kMaximumDepth)
            return fail(QStringLiteral("the value is nested too deeply"));
        switch (value.metaType().id()) {
        case QMetaType::QVariantMap: {
            const QVariantMap map = value.toMap();
            return writeDictionary(map.keys(), map, depth);
        }
        case QMetaType::QVariantHash: {
            const QVariantHash hash = value.toHash();
            QStringList keys = hash.keys();
            std::sort(keys.begin(), keys.end());
            return writeDictionary(keys, hash, depth);
        }
        case QMetaType::QVariantList:
        case QMetaType::QStringList: return writeArray(value.toList(), depth);
        case QMetaType::QString: return writeText(QStringLiteral("string"), value.toString());
        case QMetaType::Bool:
            m_xml.writeEmptyElement(value.toBool() ? QStringLiteral("true") : QStringLiteral("false"));
            return true;
        case QMetaType::Short:
        case QMetaType::Int:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::SChar:
            m_xml.writeTextElement(QStringLiteral("integer"), QString::number(value.toLongLong()));
            return true;
        case QMetaType::UShort:
        case QMetaType::UInt:
        case QMetaType::ULong:
        case QMetaType::ULongLong:
        case QMetaType::UChar:
            m_xml.writeTextElement(QStringLiteral("integer"), QString::number(value.toULongLong()));
            return true;
        case QMetaType::Float:
        case QMetaType::Double: return writeReal(value.toDouble());
        case QMetaType::QDateTime: return writeDate(value.toDateTime());
        case QMetaType::QByteArray:
            m_xml.writeTextElement(QStringLiteral("data"), QString::fromLatin1(value.toByteArray().toBase64()));
            return true;
        default:
            return fail(QStringLiteral("a value of type %1 has no property-list form")
                            .arg(QString::fromLatin1(value.metaType().name() ? value.metaType().name() : "none")));
        }
    }

    QXmlStreamWriter m_xml;
    QString m_problem;
};

} // namespace

QVariant PropertyList::fromData(const QByteArray &data, Error *error)
{
    Reader reader(data);
    QVariant root = reader.readDocument();
    if (!root.isValid())
        Error::report(error, makeError(NSPropertyListReadCorruptError, reader.problem()));
    return root;
}

QByteArray PropertyList::toData(const QVariant &root, Error *error)
{
    QByteArray data;
    Writer writer(&data);
    if (!writer.writeDocument(root)) {
        Error::report(error, makeError(NSPropertyListWriteInvalidError, writer.problem()));
        return {};
    }
    return data;
}

QVariant PropertyList::readFile(const QString &path, Error *error)
{
    QFile file(path);
    if (!file.exists()) {
        Error::report(error, makeError(NSFileReadNoSuchFileError, QStringLiteral("no such file"), path));
        return {};
    }
    if (!file.open(QIODevice::ReadOnly)) {
        Error::report(error, makeError(NSFileReadUnknownError, file.errorString(), path));
        return {};
    }
    Error parseError;
    QVariant root = fromData(file.readAll(), &parseError);
    if (!root.isValid()) {
        QVariantMap userInfo = parseError.userInfo();
        userInfo.insert(QStringLiteral("NSFilePath"), path);
        Error::report(error, Error(parseError.domain(), parseError.code(), userInfo));
    }
    return root;
}

bool PropertyList::writeFile(const QString &path, const QVariant &root, Error *error)
{
    const QByteArray data = toData(root, error);
    if (data.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        Error::report(error, makeError(NSFileWriteUnknownError, file.errorString(), path));
        return false;
    }
    return true;
}

} // namespace knvt
