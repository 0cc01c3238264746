#pragma once

#include <QAccessibleWidget>
#include <QList>

class KNVTTokenField;

namespace knvt {

// What assistive technology reads of a token field: a group named by the field's accessible name, its label or its
// tool tip, holding one text element per token (its display string, in order) and then the line edit where the next
// token is typed. The line edit itself carries the field's name and, as its description, the tokens, so that a
// screen reader says both when the focus arrives.
class TokenFieldAccessible : public QAccessibleWidget
{
public:
    explicit TokenFieldAccessible(KNVTTokenField *field);
    ~TokenFieldAccessible() override;

    QString text(QAccessible::Text t) const override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;

    // The name a token field goes by: its accessible name, else the text of the label it is the buddy of, else its
    // tool tip.
    static QString fieldName(const KNVTTokenField *field);

    // Makes every KNVTTokenField answer with this interface; the field calls it when it is made.
    static void install();

private:
    KNVTTokenField *field() const;

    mutable QList<QAccessible::Id> m_tokens;
};

} // namespace knvt
