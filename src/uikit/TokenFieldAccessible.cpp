#include "uikit/TokenFieldAccessible.h"

#include "uikit/AccessibleFactory.h"
#include "uikit/KNVTTokenField.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>

namespace knvt {

namespace {

// One token as a piece of text inside the field; it stays valid while the field shows the same text at its place.
class TokenAccessible : public QAccessibleInterface
{
public:
    TokenAccessible(KNVTTokenField *field, int index, QString text)
        : m_field(field), m_index(index), m_text(std::move(text))
    {}

    bool isValid() const override
    {
        if (!m_field)
            return false;
        const QStringList strings = m_field->tokenStrings();
        return m_index < strings.size() && strings.at(m_index) == m_text;
    }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_field ? m_field->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_field.data()); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QString text(QAccessible::Text t) const override { return t == QAccessible::Name ? m_text : QString(); }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override
    {
        if (!m_field)
            return {};
        const QRect local = m_field->tokenRect(m_index);
        return QRect(m_field->mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::Role role() const override { return QAccessible::StaticText; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.readOnly = true;
        state.invisible = !m_field || !m_field->isVisible();
        return state;
    }

private:
    QPointer<KNVTTokenField> m_field;
    int m_index;
    QString m_text;
};

} // namespace

TokenFieldAccessible::TokenFieldAccessible(KNVTTokenField *field) : QAccessibleWidget(field, QAccessible::Grouping) {}

TokenFieldAccessible::~TokenFieldAccessible()
{
    for (QAccessible::Id id : std::as_const(m_tokens))
        QAccessible::deleteAccessibleInterface(id);
}

KNVTTokenField *TokenFieldAccessible::field() const
{
    return static_cast<KNVTTokenField *>(widget());
}

QString TokenFieldAccessible::fieldName(const KNVTTokenField *field)
{
    if (!field->accessibleName().isEmpty())
        return field->accessibleName();
    if (QWidget *parent = field->parentWidget()) {
        for (const QLabel *label : parent->findChildren<QLabel *>(Qt::FindDirectChildrenOnly)) {
            if (label->buddy() == field)
                return label->text().remove(QLatin1Char('&'));
        }
    }
    return field->toolTip();
}

QString TokenFieldAccessible::text(QAccessible::Text t) const
{
    switch (t) {
    case QAccessible::Name: return fieldName(field());
    case QAccessible::Description: {
        const QString description = widget()->accessibleDescription();
        return description.isEmpty() ? field()->tokenStrings().join(QStringLiteral(", ")) : description;
    }
    default: return QAccessibleWidget::text(t);
    }
}

int TokenFieldAccessible::childCount() const
{
    return int(field()->tokenStrings().size()) + 1;
}

QAccessibleInterface *TokenFieldAccessible::child(int index) const
{
    const QStringList strings = field()->tokenStrings();
    if (index == strings.size())
        return QAccessible::queryAccessibleInterface(field()->editor());
    if (index < 0 || index > strings.size())
        return nullptr;
    while (m_tokens.size() <= index)
        m_tokens.append(0);
    if (QAccessibleInterface *known =
            m_tokens.at(index) ? QAccessible::accessibleInterface(m_tokens.at(index)) : nullptr;
        known && known->isValid())
        return known;
    if (m_tokens.at(index))
        QAccessible::deleteAccessibleInterface(m_tokens.at(index));
    auto *token = new TokenAccessible(field(), index, strings.at(index));
    m_tokens[index] = QAccessible::registerAccessibleInterface(token);
    return token;
}

int TokenFieldAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child)
        return -1;
    if (child->object() == field()->editor())
        return int(field()->tokenStrings().size());
    for (int i = 0; i < m_tokens.size(); ++i) {
        if (m_tokens.at(i) && QAccessible::accessibleInterface(m_tokens.at(i)) == child)
            return i;
    }
    return -1;
}

void TokenFieldAccessible::install()
{
    installAccessibleFactory<TokenFieldAccessible, KNVTTokenField>();
}

} // namespace knvt
