#include "foundation/Defaults.h"

#include "foundation/Assert.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QSettings>
#include <QStandardPaths>

#include <map>

namespace knvt {

namespace {

QJsonValue toJson(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        // Dates travel as ISO 8601 UTC with milliseconds; QVariant::toDateTime() reads that form back.
        return value.toDateTime().toUTC().toString(Qt::ISODateWithMs);
    case QMetaType::QVariantMap: {
        QJsonObject object;
        const QVariantMap map = value.toMap();
        for (auto it = map.begin(); it != map.end(); ++it)
            object.insert(it.key(), toJson(it.value()));
        return object;
    }
    case QMetaType::QVariantList:
    case QMetaType::QStringList: {
        QJsonArray array;
        for (const QVariant &element : value.toList())
            array.append(toJson(element));
        return array;
    }
    default: return QJsonValue::fromVariant(value);
    }
}

bool readJson(QIODevice &device, QSettings::SettingsMap &map)
{
    const QByteArray bytes = device.readAll();
    if (bytes.trimmed().isEmpty())
        return true;
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        return false;
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it)
        map.insert(it.key(), it.value().toVariant());
    return true;
}

bool writeJson(QIODevice &device, const QSettings::SettingsMap &map)
{
    QJsonObject object;
    for (auto it = map.begin(); it != map.end(); ++it)
        object.insert(it.key(), toJson(it.value()));
    return device.write(QJsonDocument(object).toJson(QJsonDocument::Indented)) >= 0;
}

QString quillvaneConfigFolder()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty())
        base = QDir::tempPath();
    return base + QStringLiteral("/Quillvane");
}

} // namespace

int Defaults::jsonFormat()
{
    static const int format = QSettings::registerFormat(QStringLiteral("json"), readJson, writeJson);
    return format;
}

Defaults::Defaults(const QString &filePath)
{
    QDir().mkpath(QFileInfo(filePath).absolutePath());
    m_settings = std::make_unique<QSettings>(filePath, QSettings::Format(jsonFormat()));
}

Defaults::~Defaults() = default;

QString Defaults::standardFilePath()
{
    return quillvaneConfigFolder() + QStringLiteral("/defaults.json");
}

QString Defaults::suiteFilePath(const QString &suiteName)
{
    return quillvaneConfigFolder() + QLatin1Char('/') + suiteName + QStringLiteral(".json");
}

Defaults &Defaults::standard()
{
    static Defaults defaults(standardFilePath());
    return defaults;
}

Defaults &Defaults::suite(const QString &suiteName)
{
    static QMutex mutex;
    static std::map<QString, std::unique_ptr<Defaults>> suites;
    QMutexLocker locker(&mutex);
    auto &slot = suites[suiteName];
    if (!slot)
        slot = std::make_unique<Defaults>(suiteFilePath(suiteName));
    return *slot;
}

QVariant Defaults::value(const QString &key) const
{
    KNVT_ASSERT(!key.contains(QLatin1Char('/')), "Defaults", "value");
    if (m_settings->contains(key))
        return m_settings->value(key);
    return m_registered.value(key);
}

bool Defaults::contains(const QString &key) const
{
    return m_settings->contains(key) || m_registered.contains(key);
}

void Defaults::setValue(const QString &key, const QVariant &value)
{
    // QSettings would read a "/" as a group separator and write a nested object.
    KNVT_ASSERT(!key.contains(QLatin1Char('/')), "Defaults", "setValue");
    if (!value.isValid())
        m_settings->remove(key);
    else
        m_settings->setValue(key, value);
}

void Defaults::remove(const QString &key)
{
    m_settings->remove(key);
}

void Defaults::registerDefaults(const QVariantMap &defaults)
{
    for (auto it = defaults.begin(); it != defaults.end(); ++it)
        m_registered.insert(it.key(), it.value());
}

QVariantMap Defaults::registeredDefaults() const
{
    return m_registered;
}

bool Defaults::synchronize()
{
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

QString Defaults::fileName() const
{
    return m_settings->fileName();
}

} // namespace knvt
