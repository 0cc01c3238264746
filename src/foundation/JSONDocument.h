#pragma once

#include "foundation/JSONView.h"

#include <QByteArray>
#include <QByteArrayView>

#include <memory>
#include <string_view>

namespace simdjson::dom {
class document;
}

namespace knvt {

// A parsed JSON text and one of its values as the root it shows through JSONView. Parsing is simdjson's; the
// parsed document is immutable and shared, so copies are cheap and a copy made with withRoot() keeps the whole
// document alive for a value inside it.
class JSONDocument
{
public:
    JSONDocument() = default;

    // Parses `text`. The root is undefined when the text is empty, is not JSON, or holds anything but an object or
    // an array at its top, so a reply of any other shape is ignored as a whole.
    static JSONDocument fromJson(QByteArrayView text);
    // The object with the members of `base` (an object), each replaced by the member of that name of `overrides`,
    // followed by the members only `overrides` has. Undefined unless both are objects.
    static JSONDocument merged(const JSONView &base, const JSONView &overrides);

    const JSONView &root() const { return m_root; }
    operator const JSONView &() const { return m_root; }
    JSONView value(std::string_view key) const { return m_root.value(key); }
    JSONView operator[](std::string_view key) const { return m_root.value(key); }
    JSONView operator[](const char *key) const { return m_root.value(key); }
    bool isUndefined() const { return m_root.isUndefined(); }

    // This document seen from `value`, which must be one of its values.
    JSONDocument withRoot(const JSONView &value) const;

private:
    std::shared_ptr<const simdjson::dom::document> m_document;
    JSONView m_root;
};

} // namespace knvt
