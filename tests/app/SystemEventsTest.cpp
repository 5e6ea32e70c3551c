// Suspend and resume as logind announces them on the system bus reach the running
// application: a private bus stands in for the system's, and this test owns the
// logind name on it.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "platform/ChildProcess.h"
#include "platform/Process.h"
#include "ui/qt/TestApplication.h"

namespace vivori::testing {
namespace {

using Clock = std::chrono::steady_clock;

class PrivateBus {
  public:
    PrivateBus() {
        FILE* daemon = popen("dbus-daemon --session --fork --print-address=1 --print-pid=1", "r");
        if (daemon == nullptr) return;
        char line[512] = {};
        if (std::fgets(line, sizeof line, daemon)) address_ = line;
        if (std::fgets(line, sizeof line, daemon)) pid_ = std::atoi(line);
        pclose(daemon);
        while (!address_.empty() && (address_.back() == '\n' || address_.back() == '\r'))
            address_.pop_back();
    }
    ~PrivateBus() {
        if (pid_ > 0) kill(pid_, SIGTERM);
    }
    const std::string& Address() const { return address_; }

  private:
    std::string address_;
    int pid_ = 0;
};

TEST(SystemEventsTest, LogindsSuspendAndResumeReachTheRunningApplication) {
    if (!FindProgram("dbus-daemon")) GTEST_SKIP() << "dbus-daemon is not installed";
    ui::testing::TestApplication();
    PrivateBus bus;
    ASSERT_FALSE(bus.Address().empty());
    char pattern[] = "/tmp/vivori-sleep-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::filesystem::path folder = pattern;
    const auto log = folder / "app.log";
    const std::string command =
        "XDG_RUNTIME_DIR='" + folder.string() + "' XDG_DATA_HOME='" + folder.string() +
        "/data' XDG_CONFIG_HOME='" + folder.string() + "/config' DBUS_SYSTEM_BUS_ADDRESS='" +
        bus.Address() +
        "' QT_QPA_PLATFORM=offscreen VIVORI_SIMULATE=keyboard VIVORI_DEBUG=1 exec '" +
        VIVORI_TRIVEX + "' 2>'" + log.string() + "'";
    const auto child = StartChild({"/bin/sh", "-c", command});
    ASSERT_TRUE(child);
    auto logText = [&] {
        std::ifstream file(log);
        return std::string(std::istreambuf_iterator<char>(file), {});
    };
    auto waitFor = [&](const std::string& text) {
        const auto end = Clock::now() + std::chrono::seconds(10);
        while (logText().find(text) == std::string::npos) {
            if (Clock::now() > end) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    };
    ASSERT_TRUE(waitFor("返回")) << logText().substr(0, 2000);

    QDBusConnection logind =
        QDBusConnection::connectToBus(QString::fromStdString(bus.Address()), "fake-logind");
    ASSERT_TRUE(logind.isConnected());
    ASSERT_TRUE(logind.registerService("org.freedesktop.login1"));
    auto announce = [&](bool sleeping) {
        QDBusMessage signal = QDBusMessage::createSignal(
            "/org/freedesktop/login1", "org.freedesktop.login1.Manager", "PrepareForSleep");
        signal << sleeping;
        return logind.send(signal);
    };
    ASSERT_TRUE(announce(true));
    EXPECT_TRUE(waitFor("logind: suspend"));
    ASSERT_TRUE(announce(false));
    EXPECT_TRUE(waitFor("logind: resume"));
    QDBusConnection::disconnectFromBus("fake-logind");
    kill(*child, SIGTERM);
    EndAllChildren(5000);
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace vivori::testing
