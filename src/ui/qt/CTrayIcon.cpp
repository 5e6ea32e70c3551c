#include "ui/qt/CTrayIcon.h"

#include <QIcon>
#include <QSystemTrayIcon>

#include "platform/Debug.h"
#include "ui/core/CResourceManager.h"
#include "ui/message/Messages.h"

namespace vivori::ui {
namespace {

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

CTrayIcon::CTrayIcon() = default;
CTrayIcon::~CTrayIcon() = default;

bool CTrayIcon::CreateTrayIcon(HWND window, std::string_view iconFile, std::string_view toolTip) {
    DeleteTrayIcon();
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        DebugOutput("tray: no notification area");
        return false;
    }
    QIcon image(QString::fromStdString(CResourceManager::ResolvePath(iconFile)));
    icon_ = std::make_unique<QSystemTrayIcon>(image);
    icon_->setToolTip(ToQString(toolTip));
    QObject::connect(icon_.get(), &QSystemTrayIcon::activated,
                     [window](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::Trigger) {
                             PostMessage(window, WM_TRAYICON, 0, WM_LBUTTONUP);
                         } else if (reason == QSystemTrayIcon::Context) {
                             PostMessage(window, WM_TRAYICON, 0, WM_RBUTTONUP);
                         }
                     });
    icon_->show();
    return true;
}

void CTrayIcon::DeleteTrayIcon() {
    if (!icon_) return;
    icon_->hide();
    icon_.reset();
}

void CTrayIcon::SetToolTip(std::string_view toolTip) {
    if (icon_) icon_->setToolTip(ToQString(toolTip));
}

void CTrayIcon::ShowMessage(std::string_view title, std::string_view text) {
    if (icon_) icon_->showMessage(ToQString(title), ToQString(text), QSystemTrayIcon::Warning);
}

bool CTrayIcon::IsVisible() const {
    return icon_ && icon_->isVisible();
}

}  // namespace vivori::ui
