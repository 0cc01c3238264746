#include "BusReader.h"

#include "support/WaitUntil.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace knvt::test {

namespace {

BusElement element(const QJsonObject &object)
{
    BusElement read;
    read.window = object.value(QLatin1String("window")).toString();
    read.role = object.value(QLatin1String("role")).toString();
    read.name = object.value(QLatin1String("name")).toString();
    read.description = object.value(QLatin1String("description")).toString();
    read.activeWindow = object.value(QLatin1String("active")).toString();
    for (const QJsonArray states = object.value(QLatin1String("states")).toArray(); const QJsonValue state : states)
        read.states.append(state.toString());
    return read;
}

} // namespace

BusReader::BusReader()
{
    m_reader.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_reader.start(QStringLiteral(KNVT_ATSPI_READER), {QString::number(QCoreApplication::applicationPid())});
    m_ready = request({}).toObject().value(QLatin1String("ready")).toBool();
}

BusReader::~BusReader()
{
    m_reader.closeWriteChannel();
    if (!waitUntil([this] { return m_reader.state() == QProcess::NotRunning; }, std::chrono::seconds(5)))
        m_reader.kill();
    m_reader.waitForFinished(1000);
}

QJsonValue BusReader::request(const QByteArray &line)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (;;) {
        if (!line.isEmpty())
            m_reader.write(line + '\n');
        // The application must go on answering the reader meanwhile: wait in its event loop, never blocked.
        if (!waitUntil([this] { return m_reader.canReadLine() || m_reader.state() == QProcess::NotRunning; },
                       std::chrono::seconds(30)))
            return QJsonValue(QJsonValue::Undefined);
        const QJsonValue answer = QJsonDocument::fromJson(QByteArray("[") + m_reader.readLine() + "]").array().at(0);
        // An element that went away while it was read: read afresh, else a window would read as empty.
        const bool failed = answer.isObject() && answer.toObject().contains(QLatin1String("error"));
        if (!failed || line.isEmpty() || std::chrono::steady_clock::now() > deadline)
            return answer;
    }
}

std::vector<BusElement> BusReader::controls(const QString &window)
{
    std::vector<BusElement> read;
    const QByteArray line = window.isNull() ? QByteArray("controls") : "controls " + window.toUtf8();
    for (const QJsonArray objects = request(line).toArray(); const QJsonValue object : objects)
        read.push_back(element(object.toObject()));
    return read;
}

std::optional<BusElement> BusReader::focus()
{
    const QJsonValue answer = request("focus");
    if (!answer.isObject())
        return std::nullopt;
    return element(answer.toObject());
}

QStringList BusReader::focusHeard()
{
    QStringList heard;
    for (const QJsonArray lines = request("heard").toArray(); const QJsonValue line : lines)
        heard << line.toString();
    return heard;
}

std::vector<BusElement> BusReader::focusPlacesHeard()
{
    std::vector<BusElement> heard;
    for (const QJsonArray places = request("places").toArray(); const QJsonValue place : places)
        heard.push_back(element(place.toObject()));
    return heard;
}

QStringList BusReader::announced()
{
    QStringList texts;
    for (const QJsonArray lines = request("announced").toArray(); const QJsonValue line : lines)
        texts << line.toString();
    return texts;
}

QStringList BusReader::windowsHeard()
{
    QStringList heard;
    for (const QJsonArray lines = request("windows").toArray(); const QJsonValue line : lines)
        heard << line.toString();
    return heard;
}

QStringList BusReader::textEvents()
{
    QStringList events;
    for (const QJsonArray lines = request("events").toArray(); const QJsonValue line : lines)
        events << line.toString();
    return events;
}

std::optional<QStringList> BusReader::textAnswers()
{
    const QJsonValue read = request("text");
    // A request that failed is no answer free of the password: it must not pass as one.
    const QJsonObject answer = read.toObject();
    if (!read.isObject() || answer.contains(QLatin1String("error")))
        return std::nullopt;
    QStringList answers;
    for (const char *key : {"text", "value", "description"})
        answers << answer.value(QLatin1String(key)).toString();
    for (const QJsonArray pieces = answer.value(QLatin1String("pieces")).toArray(); const QJsonValue piece : pieces)
        answers << piece.toString();
    return answers;
}

std::optional<QStringList> BusReader::windowStates(const QString &window)
{
    const QJsonValue answer = request("states " + window.toUtf8());
    if (!answer.isArray())
        return std::nullopt;
    QStringList states;
    for (const QJsonArray read = answer.toArray(); const QJsonValue state : read)
        states << state.toString();
    return states;
}

bool BusReader::grabFocus(const QString &window, const QString &name)
{
    return request("grab " + window.toUtf8() + '\t' + name.toUtf8())
        .toObject()
        .value(QLatin1String("grabbed"))
        .toBool();
}

QString BusReader::focusOnceItReads(const QString &expected, std::chrono::milliseconds timeout)
{
    QString read;
    // Focus events reach the bus after the key that caused them; ask again until the reader hears the same.
    waitUntil(
        [&] {
            const std::optional<BusElement> focused = focus();
            read = focused ? focused->asRead() : QString();
            return read == expected;
        },
        timeout);
    return read;
}

} // namespace knvt::test
