#include "hotkeys/KNVTKeyCodeTransformer.h"

#include "foundation/NotificationCenter.h"
#include "hotkeys/KeyboardLayoutSource.h"

#include <QCoreApplication>
#include <QHash>

namespace {

struct Tables
{
    QHash<int, QString> specialKeys;
    QList<int> padKeys;
    QHash<QString, int> reverse;
};

void fillSpecialKeys(QHash<int, QString> &keys)
{
    const std::pair<int, const char *> fixed[] = {
        {122, "F1"},  {120, "F2"},  {99, "F3"},   {118, "F4"},  {96, "F5"},   {97, "F6"},   {98, "F7"},
        {100, "F8"},  {101, "F9"},  {109, "F10"}, {103, "F11"}, {111, "F12"}, {105, "F13"}, {107, "F14"},
        {113, "F15"}, {106, "F16"}, {64, "F17"},  {79, "F18"},  {80, "F19"},
    };
    for (const auto &[code, text] : fixed)
        keys.insert(code, QString::fromLatin1(text));
    keys.insert(49, QCoreApplication::translate("KNVTShortcuts", "Space"));
    const std::pair<int, char16_t> glyphs[] = {
        {51, u'\u232B'},  {117, u'\u2326'}, {71, u'\u2327'},  {123, u'\u2190'}, {124, u'\u2192'}, {126, u'\u2191'},
        {125, u'\u2193'}, {119, u'\u2198'}, {115, u'\u2196'}, {53, u'\u238B'},  {121, u'\u21DF'}, {116, u'\u21DE'},
        {36, u'\u21A9'},  {76, u'\u2305'},  {48, u'\u21E5'},  {114, u'?'},
    };
    for (const auto &[code, glyph] : glyphs)
        keys.insert(code, QString(QChar(glyph)));
}

Tables &tables()
{
    static Tables *instance = [] {
        auto *made = new Tables;
        fillSpecialKeys(made->specialKeys);
        made->padKeys = {65, 67, 69, 75, 78, 81, 82, 83, 84, 85, 86, 87, 88, 89, 91, 92};
        // The class lives as long as the process, so the observation is never removed.
        knvt::NotificationCenter::defaultCenter().addObserver(
            QString::fromLatin1(knvt::KeyboardLayoutDidChangeNotification), nullptr, nullptr,
            [](const knvt::Notification &) { KNVTKeyCodeTransformer::regenerateStringToKeyCodeMapping(); });
        return made;
    }();
    return *instance;
}

bool initialised = false;

Tables &readyTables()
{
    Tables &t = tables();
    if (!initialised) {
        initialised = true;
        KNVTKeyCodeTransformer::regenerateStringToKeyCodeMapping();
    }
    return t;
}

} // namespace

std::optional<QString> KNVTKeyCodeTransformer::transform(int keyCode) const
{
    const qint16 code = static_cast<qint16>(keyCode);
    if (code < 0)
        return std::nullopt;
    const Tables &t = tables();
    const auto special = t.specialKeys.constFind(code);
    if (special != t.specialKeys.cend())
        return *special;
    const QString typed = knvt::KeyboardLayoutSource::current().baseCharacters(code);
    if (typed.isEmpty() || typed.at(0).isNull() || typed.at(0).category() == QChar::Other_Control)
        return std::nullopt;
    const QString upper = typed.toUpper();
    if (t.padKeys.contains(code))
        return QCoreApplication::translate("KNVTShortcuts", "Pad %1").arg(upper);
    return upper;
}

std::optional<int> KNVTKeyCodeTransformer::reverse(const QString &text) const
{
    const Tables &t = readyTables();
    const auto found = t.reverse.constFind(text);
    if (found == t.reverse.cend())
        return std::nullopt;
    return *found;
}

void KNVTKeyCodeTransformer::regenerateStringToKeyCodeMapping()
{
    Tables &t = tables();
    initialised = true;
    t.reverse.clear();
    const KNVTKeyCodeTransformer transformer;
    for (int code = 0; code <= 127; ++code) {
        const std::optional<QString> text = transformer.transform(code);
        if (text && !text->isEmpty())
            t.reverse.insert(*text, code);
    }
}
