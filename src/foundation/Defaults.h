#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <memory>

class QSettings;

inline constexpr char KNVTSharedDefaultsSuiteName[] = "group.com.hollowpine.ios.quillvane";

namespace knvt {

// User defaults: values kept in a readable JSON file through QSettings, with registered defaults that live only in
// memory and are never written. A read falls back to the registered value; removing a key reveals it again.
class Defaults
{
public:
    // Opens (or prepares to create) the JSON defaults file at `filePath`.
    explicit Defaults(const QString &filePath);
    ~Defaults();
    Defaults(const Defaults &) = delete;
    Defaults &operator=(const Defaults &) = delete;

    // <config>/Quillvane/defaults.json
    static Defaults &standard();
    // <config>/Quillvane/<suite>.json, one instance per suite name for the life of the process.
    static Defaults &suite(const QString &suiteName);
    static QString standardFilePath();
    static QString suiteFilePath(const QString &suiteName);

    // The QSettings format id of the JSON files; registered once per process on first use.
    static int jsonFormat();

    QVariant value(const QString &key) const;
    bool contains(const QString &key) const;
    void setValue(const QString &key, const QVariant &value);
    void remove(const QString &key);
    void registerDefaults(const QVariantMap &defaults);
    QVariantMap registeredDefaults() const;

    // Writes pending changes and reads what other processes wrote; false when the file could not be read or written.
    bool synchronize();

    QString fileName() const;

private:
    std::unique_ptr<QSettings> m_settings;
    QVariantMap m_registered;
};

} // namespace knvt
