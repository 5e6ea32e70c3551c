#include "ui/qt/SystemEvents.h"

#include <QDBusConnection>
#include <QGuiApplication>
#include <QObject>
#include <QScreen>

#include "platform/Debug.h"

namespace vivori::ui {

// A QObject with a slot for the bus to call: QtDBus delivers signals to slots only.
class SystemEvents::Receiver : public QObject {
    Q_OBJECT

  public:
    explicit Receiver(Handlers handlers) : handlers_(std::move(handlers)) {
        QDBusConnection bus = QDBusConnection::systemBus();
        watchingSleep_ =
            bus.isConnected() &&
            bus.connect("org.freedesktop.login1", "/org/freedesktop/login1",
                        "org.freedesktop.login1.Manager", "PrepareForSleep", this,
                        SLOT(OnPrepareForSleep(bool)));
        if (!watchingSleep_) DebugOutput("no system bus: suspend and resume are not watched");
        auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
        if (app == nullptr) return;
        QObject::connect(app, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
            WatchScreen(screen);
            ScreensChanged();
        });
        QObject::connect(app, &QGuiApplication::screenRemoved, this,
                         [this](QScreen*) { ScreensChanged(); });
        QObject::connect(app, &QGuiApplication::primaryScreenChanged, this,
                         [this](QScreen*) { ScreensChanged(); });
        for (QScreen* screen : QGuiApplication::screens()) WatchScreen(screen);
    }
    bool WatchingSleep() const { return watchingSleep_; }

  public slots:
    void OnPrepareForSleep(bool sleeping) {
        DebugPrintf("logind: %s", sleeping ? "suspend" : "resume");
        if (handlers_.sleep) handlers_.sleep(sleeping);
    }

  private:
    void WatchScreen(QScreen* screen) {
        QObject::connect(screen, &QScreen::geometryChanged, this,
                         [this](const QRect&) { ScreensChanged(); });
        QObject::connect(screen, &QScreen::logicalDotsPerInchChanged, this,
                         [this](qreal) { ScreensChanged(); });
    }
    void ScreensChanged() {
        if (handlers_.screens) handlers_.screens();
    }

    Handlers handlers_;
    bool watchingSleep_ = false;
};

SystemEvents::SystemEvents(Handlers handlers)
    : receiver_(std::make_unique<Receiver>(std::move(handlers))) {}

SystemEvents::~SystemEvents() = default;

bool SystemEvents::WatchingSleep() const {
    return receiver_->WatchingSleep();
}

}  // namespace vivori::ui

#include "SystemEvents.moc"
