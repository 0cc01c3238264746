#include "Screenshots.h"

#include "uikit/Popover.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

KNVT_SCREENSHOTS(Popover)
{
    knvt::Popover::animationsEnabled = false;
    QWidget window;
    window.resize(300, 200);
    auto *anchor = new QPushButton(QStringLiteral("New Task"), &window);
    anchor->setGeometry(100, 20, 100, 28);
    window.show();

    knvt::test::addFixtureTexts({QStringLiteral("Title"), QStringLiteral("Notes")});
    auto *popover = new knvt::Popover(&window);
    auto *content = new QWidget;
    content->setAccessibleName(QStringLiteral("New Task"));
    auto *form = new QFormLayout(content);
    form->addRow(QStringLiteral("Title"), new QLineEdit(QStringLiteral("Water the garden")));
    form->addRow(QStringLiteral("Notes"), new QLineEdit);
    popover->setContentWidget(content);
    popover->setBehavior(knvt::Popover::Behavior::SemiTransient);
    popover->showRelativeTo(QRect(), anchor, knvt::Opener::User);
    writer.save(QStringLiteral("semi-transient"), popover, true);
    popover->performClose();
    knvt::Popover::animationsEnabled = true;
}
