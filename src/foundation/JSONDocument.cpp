#include "foundation/JSONDocument.h"

#include <simdjson.h>

#include <string>

namespace knvt {

namespace {

// One parser per thread, reused: its buffers grow to the largest text it has read, so a pull of many replies pays
// for them once. Parsed values live in each document of their own.
simdjson::dom::parser &threadParser()
{
    thread_local simdjson::dom::parser parser;
    return parser;
}

// `text` as a JSON string literal.
void appendQuoted(std::string &out, std::string_view text)
{
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
    out += '"';
}

} // namespace

JSONDocument JSONDocument::fromJson(QByteArrayView text)
{
    JSONDocument parsed;
    if (text.isEmpty())
        return parsed;
    auto document = std::make_shared<simdjson::dom::document>();
    simdjson::dom::element root;
    if (threadParser().parse_into_document(*document, text.data(), size_t(text.size())).get(root) != simdjson::SUCCESS)
        return parsed;
    const simdjson::dom::element_type type = root.type();
    if (type != simdjson::dom::element_type::OBJECT && type != simdjson::dom::element_type::ARRAY)
        return parsed;
    parsed.m_document = std::move(document);
    parsed.m_root = JSONView::fromElement(&root);
    return parsed;
}

JSONDocument JSONDocument::merged(const JSONView &base, const JSONView &overrides)
{
    if (!base.isObject() || !overrides.isObject())
        return JSONDocument();
    std::string text = "{";
    const auto append = [&text](const JSONView::Member &member) {
        if (text.size() > 1)
            text += ',';
        appendQuoted(text, member.key());
        text += ':';
        const QByteArray value = member.value().toJson();
        text.append(value.constData(), size_t(value.size()));
    };
    for (const JSONView::Member &member : base.members())
        if (!overrides.contains(member.key()))
            append(member);
    for (const JSONView::Member &member : overrides.members())
        append(member);
    text += '}';
    return fromJson(QByteArrayView(text.data(), qsizetype(text.size())));
}

JSONDocument JSONDocument::withRoot(const JSONView &value) const
{
    JSONDocument copy;
    copy.m_document = m_document;
    copy.m_root = m_document ? value : JSONView();
    return copy;
}

} // namespace knvt
