#include "foundation/JSONView.h"
#include "foundation/JSONDocument.h"

#include <QVariantList>
#include <QVariantMap>

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <vector>

using knvt::JSONDocument;
using knvt::JSONView;

namespace {

JSONDocument parse(const char *text)
{
    return JSONDocument::fromJson(QByteArray(text));
}

} // namespace

TEST(JSONView, MissingNullAndEveryTypeStayApart)
{
    const JSONDocument document =
        parse(R"({"s":"text","e":"","n":null,"t":true,"f":false,"i":12,"d":12.5,"a":[1,"x"],"o":{"k":1}})");
    const JSONView root = document;
    ASSERT_TRUE(root.isObject());

    EXPECT_TRUE(root.value("missing").isUndefined());
    EXPECT_TRUE(root.value("n").isNull());
    EXPECT_FALSE(root.value("n").isUndefined());
    EXPECT_TRUE(root.value("t").isBool());
    EXPECT_TRUE(root.value("t").toBool());
    EXPECT_FALSE(root.value("f").toBool(true));
    EXPECT_TRUE(root.value("i").isNumber());
    EXPECT_TRUE(root.value("d").isNumber());
    EXPECT_TRUE(root.value("a").isArray());
    EXPECT_TRUE(root.value("o").isObject());
    EXPECT_EQ(root.value("o").value("k").toInteger(), 1);
    EXPECT_TRUE(root.contains("n"));
    EXPECT_FALSE(root.contains("missing"));

    EXPECT_EQ(root.value("s").toString(), QStringLiteral("text"));
    EXPECT_EQ(root.value("s").utf8(), "text");
    // An empty text is a text, not a missing one.
    EXPECT_FALSE(root.value("e").toString().isNull());
    EXPECT_TRUE(root.value("e").toString().isEmpty());
    for (const char *notText : {"n", "i", "a", "o", "missing"}) {
        EXPECT_TRUE(root.value(notText).toString().isNull()) << notText;
        EXPECT_TRUE(root.value(notText).utf8().empty()) << notText;
    }
    EXPECT_EQ(root.value("s").toBool(true), true) << "a default for a value of another type";
    EXPECT_EQ(root.value("s").toInteger(7), 7);
    EXPECT_EQ(root.value("s").toDouble(1.5), 1.5);

    // Asking a value for what it is not gives nothing, never an error.
    EXPECT_TRUE(root.value("s").value("k").isUndefined());
    EXPECT_TRUE(root.value("a").value("k").isUndefined());
    EXPECT_TRUE(root.value("missing").value("k").isUndefined());
    EXPECT_EQ(root.value("o").begin(), root.value("o").end());
    EXPECT_EQ(root.value("missing").begin(), root.value("missing").end());
    EXPECT_EQ(root.value("a").members().begin(), root.value("a").members().end());
    EXPECT_EQ(root.value("a").size(), 2);
    EXPECT_EQ(root.value("o").size(), 1);
    EXPECT_EQ(root.value("s").size(), 0);

    std::vector<JSONView::Type> elements;
    for (const JSONView &element : root.value("a"))
        elements.push_back(element.type());
    EXPECT_EQ(elements, (std::vector<JSONView::Type>{JSONView::Type::Number, JSONView::Type::String}));
}

TEST(JSONView, WholeNumbersAsTheServiceWritesThem)
{
    struct Row
    {
        const char *text;
        std::optional<qint64> whole;
    };
    const Row rows[] = {
        {"12", 12},
        {"12.0", 12},
        {"-3", -3},
        {"-0", 0},
        {"1e2", 100},
        {"12.5", std::nullopt},
        {"9223372036854775807", std::numeric_limits<qint64>::max()},
        {"-9223372036854775808", std::numeric_limits<qint64>::min()},
        {"9223372036854775808", std::nullopt},
        {"18446744073709551615", std::nullopt},
        {"1e19", std::nullopt},
        {"\"12\"", std::nullopt},
        {"null", std::nullopt},
        {"true", std::nullopt},
    };
    for (const Row &row : rows) {
        const JSONDocument document = JSONDocument::fromJson(QByteArray("[") + row.text + "]");
        const JSONView value = *document.root().begin();
        EXPECT_EQ(value.wholeNumber(), row.whole) << row.text;
        EXPECT_EQ(value.toInteger(-1), row.whole.value_or(-1)) << row.text;
    }
    const JSONDocument numbers = parse("[12.5, 7, 18446744073709551615]");
    std::vector<double> doubles;
    for (const JSONView &value : numbers.root())
        doubles.push_back(value.toDouble());
    EXPECT_EQ(doubles, (std::vector<double>{12.5, 7.0, 18446744073709551615.0}));
}

TEST(JSONView, OnlyAnObjectOrAnArrayAtTheTopIsADocument)
{
    for (const char *ignored : {"", " ", "12", "\"text\"", "null", "true", "{", "[1,]", "{} x", "{\"a\" 1}", "[1e400]",
                                "{\"a\":\"\\ud800\"}", "\xff"})
        EXPECT_TRUE(parse(ignored).isUndefined()) << ignored;
    EXPECT_TRUE(parse("{}").root().isObject());
    EXPECT_TRUE(parse(" [ ] ").root().isArray());
    EXPECT_TRUE(JSONDocument().root().isUndefined());
}

TEST(JSONView, MembersInTheDocumentsOrderAndTheFirstOfARepeatedKeyCounts)
{
    const JSONDocument document = parse(R"({"b":1,"a":{"x":2},"b":3})");
    std::vector<std::string> keys;
    std::vector<QString> keyStrings;
    for (const JSONView::Member &member : document.root().members()) {
        keys.emplace_back(member.key());
        keyStrings.push_back(member.keyString());
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"b", "a", "b"}));
    EXPECT_EQ(keyStrings, (std::vector<QString>{"b", "a", "b"}));
    EXPECT_EQ(document["b"].toInteger(), 1);
    EXPECT_EQ(document["a"]["x"].toInteger(), 2);
}

TEST(JSONView, TextsAreUnescaped)
{
    const JSONDocument document =
        parse(R"({"t":"caf\u00e9 \"quoted\" back\\slash\nline \ud83d\ude00 Zürich","k\u00e9y":1})");
    EXPECT_EQ(document["t"].toString(),
              QStringLiteral("café \"quoted\" back\\slash\nline ") + QString::fromUtf8("\xF0\x9F\x98\x80")
                  + QStringLiteral(" Zürich"));
    EXPECT_EQ(document["k\xC3\xA9y"].toInteger(), 1);
}

TEST(JSONView, ErrorBodiesAsVariants)
{
    const JSONDocument document = parse(R"({"errors":{"username":["has already been taken"]},"n":null,"i":1,
                                           "d":1.5,"w":2.0,"b":false})");
    const QVariantMap map = document.root().toVariant().toMap();
    EXPECT_EQ(map.value("errors").toMap().value("username").toList(), QVariantList{"has already been taken"});
    EXPECT_EQ(map.value("n").typeId(), QMetaType::Nullptr);
    EXPECT_EQ(map.value("i").typeId(), QMetaType::LongLong);
    EXPECT_EQ(map.value("i").toLongLong(), 1);
    EXPECT_EQ(map.value("d").typeId(), QMetaType::Double);
    EXPECT_EQ(map.value("w").typeId(), QMetaType::Double) << "a number written with a fraction stays a double";
    EXPECT_EQ(map.value("b").typeId(), QMetaType::Bool);
    EXPECT_FALSE(JSONView().toVariant().isValid());
}

TEST(JSONView, MergedObjectReplacesAndAddsMembersAndKeepsTheRest)
{
    const JSONDocument base = parse(R"({"id":1,"title":"old","nested":[1,{"y":"\"q\""}],"ke\"y":true})");
    const JSONDocument overrides = parse(R"({"title":"new","added":null})");
    const JSONDocument merged = JSONDocument::merged(base, overrides);
    ASSERT_TRUE(merged.root().isObject());
    EXPECT_EQ(merged["id"].toInteger(), 1);
    EXPECT_EQ(merged["title"].toString(), QStringLiteral("new"));
    EXPECT_TRUE(merged["added"].isNull());
    EXPECT_TRUE(merged["ke\"y"].toBool());
    EXPECT_EQ(merged["nested"].toJson(), QByteArray(R"([1,{"y":"\"q\""}])"));
    EXPECT_EQ(merged.root().size(), 5);
    EXPECT_TRUE(JSONDocument::merged(base["nested"], overrides).isUndefined());
}

TEST(JSONView, AViewInsideADocumentKeepsItAlive)
{
    JSONDocument document = parse(R"({"account":{"id":7,"owner":{"username":"ann"}}})");
    const JSONDocument account = document.withRoot(document["account"]);
    document = JSONDocument();
    EXPECT_EQ(account["id"].toInteger(), 7);
    EXPECT_EQ(account["owner"]["username"].toString(), QStringLiteral("ann"));
}
