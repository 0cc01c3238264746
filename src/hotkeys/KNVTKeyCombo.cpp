#include "hotkeys/KNVTKeyCombo.h"

#include "foundation/Assert.h"
#include "foundation/PropertyList.h"
#include "hotkeys/KNVTKeyCodeTranslator.h"
#include "hotkeys/MacKeyCodes.h"
#include "hotkeys/ShortcutStrings.h"

#include <QCoreApplication>
#include <QFile>

#include <cmath>
#include <optional>

namespace {

std::optional<qint64> integerValue(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort: return value.toLongLong();
    case QMetaType::ULong:
    case QMetaType::ULongLong: {
        const qulonglong unsignedValue = value.toULongLong();
        if (unsignedValue > qulonglong(std::numeric_limits<qint64>::max()))
            return std::nullopt;
        return qint64(unsignedValue);
    }
    case QMetaType::Double: {
        // JSON numbers may come back as doubles; only whole ones are integers.
        const double number = value.toDouble();
        if (!std::isfinite(number) || std::floor(number) != number || std::abs(number) > 9.0e15)
            return std::nullopt;
        return qint64(number);
    }
    default: return std::nullopt;
    }
}

} // namespace

KNVTKeyCombo KNVTKeyCombo::fromPlistRepresentation(const QVariant &plist)
{
    const QVariantMap map = plist.toMap();
    if (map.isEmpty())
        return {};
    const std::optional<qint64> keyCode = integerValue(map.value(QStringLiteral("keyCode")));
    const qint64 modifiers = integerValue(map.value(QStringLiteral("modifiers"))).value_or(0);
    return {keyCode && *keyCode >= 0 ? *keyCode : -1, modifiers > 0 ? modifiers : -1};
}

QVariantMap KNVTKeyCombo::plistRepresentation() const
{
    return {{QStringLiteral("keyCode"), m_keyCode}, {QStringLiteral("modifiers"), m_modifiers}};
}

QString KNVTKeyCombo::keyCodeString() const
{
    if (isClearCombo())
        return {};
    return stringForKeyCode(static_cast<qint16>(m_keyCode), keyCodesDictionary());
}

quint64 KNVTKeyCombo::modifierMask() const
{
    if (isClearCombo())
        return 0;
    return KNVTCocoaFlagsFromCarbonFlags(quint64(m_modifiers)) & ~knvt::kFunctionKeyMask;
}

QString KNVTKeyCombo::description() const
{
    if (!isValidHotKeyCombo())
        return QCoreApplication::translate("KNVTKeyCombo", "(None)");
    return KNVTCarbonShortcutNativeText(quint64(m_modifiers), int(m_keyCode));
}

QString KNVTKeyCombo::stringForKeyCode(qint16 keyCode, const QVariantMap &keyCodeList)
{
    const QString decimal = QString::number(keyCode);
    if (keyCodeList.value(QStringLiteral("version")).toLongLong() < 1) {
        const QVariant legacy = keyCodeList.value(decimal);
        return legacy.isValid() ? legacy.toString() : QString::number(keyCode, 16).toUpper();
    }
    const QVariant unmapped = keyCodeList.value(QStringLiteral("unmappedKeys")).toMap().value(decimal);
    if (unmapped.isValid())
        return unmapped.toString();
    const QString character = KNVTKeyCodeTranslator::currentTranslator()->translateKeyCode(keyCode).toUpper();
    if (keyCodeList.value(QStringLiteral("padKeys")).toStringList().contains(decimal))
        return QStringLiteral("%1 %2").arg(keyCodeList.value(QStringLiteral("padKeyString")).toString(), character);
    return character;
}

const QVariantMap &KNVTKeyCombo::keyCodesDictionary()
{
    static const QVariantMap list = [] {
        QFile file(QStringLiteral(":/hotkeys/KNVTKeyCodes.plist"));
        const QVariant root =
            file.open(QIODevice::ReadOnly) ? knvt::PropertyList::fromData(file.readAll()) : QVariant();
        KNVT_ASSERT(root.typeId() == QMetaType::QVariantMap && "Contents of KNVTKeyCodes is nil", "KNVTKeyCombo",
                    "_keyCodesDictionary");
        return root.toMap();
    }();
    return list;
}
