// The KWin backend against a stand-in for KWin's scripting service on a private session bus:
// the script it loads, the calls it makes, and the pid the script reports.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QFile>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "../platform/child_process.h"
#include "qt_fixture.h"
#include "platform/foreground/kwin_foreground.h"

namespace corvane::platform {
namespace {

using corvane::testing::RunUntil;
using ForegroundApp = platform::ForegroundApp;

// dbus-daemon with a session configuration of its own, stopped when the test ends.
class PrivateBus {
public:
    PrivateBus() {
        const auto program = corvane::testing::FindProgram("dbus-daemon");
        if (!program) return;
        corvane::testing::OutputPipe pipe;
        daemon_ = std::make_unique<corvane::testing::ChildProcess>(
            std::vector<std::string>{*program, "--session", "--nofork", "--nosyslog",
                                     "--print-address=" + std::to_string(pipe.WriteFd())},
            pipe.ReadFd());
        address_ = pipe.ReadLine();
    }
    const std::string& Address() const { return address_; }

private:
    std::unique_ptr<corvane::testing::ChildProcess> daemon_;
    std::string address_;
};

// KWin's /Scripting object as far as the backend uses it.
class FakeScripting final : public QDBusVirtualObject {
public:
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        calls.push_back(message.member().toStdString());
        if (message.member() == "loadScript" && !message.arguments().isEmpty()) {
            QFile file(message.arguments().front().toString());
            if (file.open(QIODevice::ReadOnly)) script = file.readAll().toStdString();
            connection.send(message.createReply(QVariant::fromValue(0)));
        } else if (message.member() == "unloadScript") {
            connection.send(message.createReply(QVariant::fromValue(true)));
        } else {
            connection.send(message.createReply());
        }
        return true;
    }
    QString introspect(const QString&) const override { return {}; }

    std::vector<std::string> calls;
    std::string script;
};

TEST(KWinForeground, LoadsItsScriptAndFollowsThePidTheScriptReports) {
    corvane::testing::App();
    PrivateBus bus;
    if (bus.Address().empty()) GTEST_SKIP() << "dbus-daemon is not available";
    const QString address = QString::fromStdString(bus.Address());

    QDBusConnection kwinSide = QDBusConnection::connectToBus(address, "fake-kwin");
    ASSERT_TRUE(kwinSide.isConnected());
    ASSERT_TRUE(kwinSide.registerService("org.kde.KWin"));
    FakeScripting scripting;
    ASSERT_TRUE(kwinSide.registerVirtualObject("/Scripting", &scripting));

    QDBusConnection ours = QDBusConnection::connectToBus(address, "corvane");
    ASSERT_TRUE(ours.isConnected());
    auto kwin = MakeKWinForeground(ours);
    EXPECT_EQ(kwin->Backend(), "kwin");
    ASSERT_TRUE(RunUntil([&] { return scripting.calls.size() >= 3; }));
    EXPECT_EQ(scripting.calls, (std::vector<std::string>{"unloadScript", "loadScript", "start"}));
    // The script calls back to our connection, for Plasma 6 and Plasma 5 alike.
    EXPECT_NE(scripting.script.find(ours.baseService().toStdString()), std::string::npos);
    EXPECT_NE(scripting.script.find("workspace.windowActivated"), std::string::npos);
    EXPECT_NE(scripting.script.find("workspace.clientActivated"), std::string::npos);
    EXPECT_EQ(kwin->Current().status, ForegroundApp::Status::Unknown);

    // What callDBus in the script sends when a window becomes active.
    auto report = [&](int pid) {
        QDBusMessage call = QDBusMessage::createMethodCall(ours.baseService(), kKWinCallbackPath,
                                                           kKWinCallbackInterface, kKWinCallbackMethod);
        call << pid;
        kwinSide.send(call);
    };
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    report(static_cast<int>(::getpid()));
    EXPECT_TRUE(RunUntil([&] { return kwin->Current().path == self; }));
    report(0);
    EXPECT_TRUE(RunUntil([&] { return kwin->Current().status == ForegroundApp::Status::Unknown; }));

    kwin.reset();
    EXPECT_TRUE(RunUntil([&] { return scripting.calls.size() == 4; }));
    EXPECT_EQ(scripting.calls.back(), "unloadScript");
    kwinSide.unregisterObject("/Scripting");
    QDBusConnection::disconnectFromBus("corvane");
    QDBusConnection::disconnectFromBus("fake-kwin");
}

}  // namespace
}  // namespace corvane::platform
