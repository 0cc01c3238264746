// The text field, text view and token field in each state.
#include "Screenshots.h"

#include "uikit/KNVTTextField.h"
#include "uikit/KNVTTextView.h"
#include "uikit/KNVTTokenField.h"

#include <QLineEdit>

namespace {

class TagNames : public KNVTTokenFieldDelegate
{
public:
    QString tokenField(KNVTTokenField *, const QVariant &representedObject) override
    {
        return representedObject.toString();
    }
};

} // namespace

KNVT_SCREENSHOTS(TextField)
{
    knvt::test::addFixtureTexts({QStringLiteral("New Task")});
    KNVTTextField empty;
    empty.setAccessibleName(QStringLiteral("Title"));
    empty.setPlaceholderText(QStringLiteral("New Task"));
    empty.resize(240, empty.sizeHint().height());
    writer.save("placeholder", &empty, true);

    KNVTTextField filled(QStringLiteral("Buy milk on the way home"));
    filled.setAccessibleName(QStringLiteral("Title"));
    filled.setReturnBehaviour(1);
    filled.resize(240, filled.sizeHint().height());
    writer.save("text", &filled, true);
}

KNVT_SCREENSHOTS(TextView)
{
    KNVTTextView comment;
    comment.setAccessibleName(QStringLiteral("Comment"));
    comment.setReturnBehaviour(1);
    comment.resize(260, 90);
    writer.save("empty", &comment, true);

    comment.setPlainText(QStringLiteral("Called the plumber.\nHe comes on Tuesday between 8 and 10."));
    writer.save("text", &comment, true);
}

KNVT_SCREENSHOTS(TokenField)
{
    TagNames names;
    KNVTTokenField field;
    field.setAccessibleName(QStringLiteral("Tags"));
    field.setDelegate(&names);
    field.resize(260, field.cellHeight());
    writer.save("empty", &field, true);

    field.setObjectValue({QStringLiteral("home"), QStringLiteral("errands"), QStringLiteral("calls")});
    field.sizeToFit();
    writer.save("tokens", &field, true);

    field.setObjectValue({QStringLiteral("home"), QStringLiteral("errands"), QStringLiteral("calls"),
                          QStringLiteral("waiting for"), QStringLiteral("someday"), QStringLiteral("q3 planning"),
                          QStringLiteral("family")});
    field.sizeToFit();
    writer.save("wrapped", &field, true);

    field.setObjectValue({QStringLiteral("home"), QStringLiteral("errands")});
    field.sizeToFit();
    field.editor()->insert(QStringLiteral("tri"));
    writer.save("typing", &field, true);
}
