#include "app/TrayIcon.h"

#include "uikit/ActionSet.h"

#include <QCoreApplication>
#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>

#include <memory>

namespace knvt {

namespace {

class SystemTrayIcon : public TrayIcon
{
public:
    bool isAvailable() const override { return QSystemTrayIcon::isSystemTrayAvailable(); }
    void show(std::function<void()> activated, std::function<void()> newTask, std::function<void()> quit) override
    {
        if (!isAvailable())
            return;
        if (!m_icon) {
            m_icon = std::make_unique<QSystemTrayIcon>(QIcon(QStringLiteral(":/quillvane.svg")));
            m_menu = std::make_unique<QMenu>();
            m_icon->setContextMenu(m_menu.get());
            m_icon->setToolTip(QCoreApplication::translate("TrayIcon", "Quillvane"));
        }
        m_menu->clear();
        // The commands' titles are the windows' own.
        QObject::connect(m_menu->addAction(ActionSet::title(Command::NewTask)), &QAction::triggered, m_menu.get(),
                         std::move(newTask));
        QObject::connect(m_menu->addAction(ActionSet::title(Command::Quit)), &QAction::triggered, m_menu.get(),
                         std::move(quit));
        QObject::disconnect(m_icon.get(), &QSystemTrayIcon::activated, nullptr, nullptr);
        QObject::connect(m_icon.get(), &QSystemTrayIcon::activated, m_menu.get(),
                         [activated = std::move(activated)](QSystemTrayIcon::ActivationReason reason) {
                             if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                                 activated();
                         });
        m_icon->show();
    }
    void hide() override
    {
        if (m_icon)
            m_icon->hide();
    }

private:
    std::unique_ptr<QSystemTrayIcon> m_icon;
    std::unique_ptr<QMenu> m_menu;
};

TrayIcon *&installedTrayIcon()
{
    static TrayIcon *tray = nullptr;
    return tray;
}

} // namespace

TrayIcon &TrayIcon::shared()
{
    static SystemTrayIcon system;
    return installedTrayIcon() ? *installedTrayIcon() : system;
}

void TrayIcon::setShared(TrayIcon *tray)
{
    installedTrayIcon() = tray;
}

} // namespace knvt
