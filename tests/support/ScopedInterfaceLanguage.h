#pragma once

#include <QCoreApplication>
#include <QString>
#include <QTranslator>

namespace knvt::test {

// Loads, for the lifetime of the object, a translation that names `language` as its own and translates nothing else,
// as a shipped translation of the interface into that language would.
class ScopedInterfaceLanguage : public QTranslator
{
public:
    explicit ScopedInterfaceLanguage(const char *language) : m_language(QString::fromLatin1(language))
    {
        QCoreApplication::installTranslator(this);
    }
    ~ScopedInterfaceLanguage() override { QCoreApplication::removeTranslator(this); }

    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *sourceText, const char * = nullptr, int = -1) const override
    {
        if (QLatin1String(context) == QLatin1String("InterfaceLanguage") && QLatin1String(sourceText) == "en")
            return m_language;
        return QString();
    }

private:
    QString m_language;
};

} // namespace knvt::test
