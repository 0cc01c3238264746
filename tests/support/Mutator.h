#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <set>
#include <vector>

namespace knvt::test {

// Seeded random damage to valid input, for tests that feed a reader of outside data thousands of variants of it.
// Every choice comes from the seed, so a failing round is found again by its number.
class Mutator
{
public:
    explicit Mutator(quint32 seed) : m_random(seed) {}

    // A number in [0, n).
    int below(int n) { return n <= 0 ? 0 : int(m_random.bounded(quint32(n))); }
    bool chance(int percent) { return below(100) < percent; }
    template <class T>
    const T &pick(const std::vector<T> &from)
    {
        return from[size_t(below(int(from.size())))];
    }

    // One to four edits of the bytes: one replaced or inserted, a run removed, or the rest cut off.
    QByteArray bytes(QByteArray bytes)
    {
        const int edits = 1 + below(4);
        for (int e = 0; e < edits; ++e) {
            const int at = below(int(bytes.size()) + 1);
            switch (below(4)) {
            case 0:
                if (at < bytes.size())
                    bytes[at] = char(below(256));
                break;
            case 1: bytes.insert(at, char(below(256))); break;
            case 2: bytes.truncate(at); break;
            default: bytes.remove(at, below(8)); break;
            }
        }
        return bytes;
    }

    // One to four edits of the text: a character replaced or inserted (from `alphabet` mostly, else anything up to
    // U+FFFF), a run removed or repeated, or the rest cut off.
    QString text(QString text, const QString &alphabet)
    {
        const auto character = [&]() -> QChar {
            if (!alphabet.isEmpty() && chance(85))
                return alphabet.at(below(int(alphabet.size())));
            return QChar(char16_t(below(0x10000)));
        };
        const int edits = 1 + below(4);
        for (int e = 0; e < edits; ++e) {
            const int at = below(int(text.size()) + 1);
            switch (below(5)) {
            case 0:
                if (at < text.size())
                    text[at] = character();
                break;
            case 1: text.insert(at, character()); break;
            case 2: text.truncate(at); break;
            case 3: text.remove(at, 1 + below(6)); break;
            default: text.insert(at, text.mid(at, 1 + below(12))); break;
            }
        }
        return text;
    }

    // One to three edits at distinct places of the tree below its root, none inside another: a key dropped, a value
    // replaced by one of another type, a value nested one level too deep or an entity taken out of its wrapper, an
    // element repeated. A number or a string is never changed into another number or string, and the root stays
    // what it is, so a damaged reply never names an object it did not name, nor names none at all.
    QJsonValue json(QJsonValue value)
    {
        const int nodes = countNodes(value);
        if (nodes < 2)
            return value;
        std::set<int> targets;
        const int edits = std::min(1 + below(3), nodes - 1);
        while (int(targets.size()) < edits)
            targets.insert(1 + below(nodes - 1));
        int index = 0;
        editTree(value, index, targets);
        return value;
    }

private:
    static int countNodes(const QJsonValue &value)
    {
        int count = 1;
        if (value.isObject()) {
            const QJsonObject object = value.toObject();
            for (auto it = object.begin(); it != object.end(); ++it)
                count += countNodes(it.value());
        } else if (value.isArray()) {
            const QJsonArray array = value.toArray();
            for (const QJsonValue &element : array)
                count += countNodes(element);
        }
        return count;
    }

    // Numbers the nodes depth first as countNodes() counts them, and edits those in `targets`; what lies inside an
    // edited node is left alone.
    void editTree(QJsonValue &value, int &index, const std::set<int> &targets)
    {
        if (targets.count(index)) {
            index += countNodes(value);
            edit(value);
            return;
        }
        ++index;
        if (value.isObject()) {
            QJsonObject object = value.toObject();
            for (auto it = object.begin(); it != object.end(); ++it) {
                QJsonValue child = it.value();
                editTree(child, index, targets);
                it.value() = child;
            }
            value = object;
        } else if (value.isArray()) {
            QJsonArray array = value.toArray();
            for (qsizetype i = 0; i < array.size(); ++i) {
                QJsonValue child = array.at(i);
                editTree(child, index, targets);
                array.replace(i, child);
            }
            value = array;
        }
    }

    void edit(QJsonValue &value)
    {
        if (value.isObject() && !value.toObject().isEmpty() && chance(50)) {
            QJsonObject object = value.toObject();
            const QStringList keys = object.keys();
            const QString key = keys.at(below(int(keys.size())));
            if (object.size() == 1 && object.value(key).isObject() && chance(50)) {
                value = object.value(key); // out of its wrapper
            } else {
                object.remove(key);
                value = object;
            }
            return;
        }
        if (value.isArray() && !value.toArray().isEmpty() && chance(50)) {
            QJsonArray array = value.toArray();
            const int at = below(int(array.size()));
            array.insert(at, array.at(at));
            value = array;
            return;
        }
        switch (below(3)) {
        case 0:
            value = chance(50) ? QJsonValue(QJsonArray{value}) : QJsonValue(QJsonObject{{pickRootKey(), value}});
            break;
        default: value = otherType(value); break;
        }
    }

    QString pickRootKey()
    {
        static const std::vector<QString> keys{"task",       "task_list", "tag",  "tagged_item", "comment",
                                               "friendship", "account",   "user", "id"};
        return pick(keys);
    }

    QJsonValue otherType(const QJsonValue &value)
    {
        static const std::vector<QJsonValue> values{QJsonValue(QJsonValue::Null),
                                                    QJsonValue(true),
                                                    QJsonValue(0),
                                                    QJsonValue(-1),
                                                    QJsonValue(1.5),
                                                    QJsonValue(9007199254740993.0),
                                                    QJsonValue(QString()),
                                                    QJsonValue(QStringLiteral("x")),
                                                    QJsonValue(QStringLiteral("2015-03-04T10:20:30+00:00")),
                                                    QJsonValue(QJsonArray()),
                                                    QJsonValue(QJsonObject())};
        for (;;) {
            const QJsonValue candidate = pick(values);
            if (candidate.type() != value.type())
                return candidate;
        }
    }

    QRandomGenerator m_random;
};

} // namespace knvt::test
