#include "platform/foreground/kwin_foreground.h"

#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QFile>
#include <QTemporaryDir>

#include <atomic>

#include "platform/debug_out.h"

namespace corvane::platform {
namespace {

constexpr const char* kScriptingPath = "/Scripting";
constexpr const char* kScriptingInterface = "org.kde.kwin.Scripting";

// Plasma 6 names windows "window", Plasma 5 "client"; both carry the owning process in pid.
QString ScriptText(const QString& service) {
    return QStringLiteral(
               "function report(w) {\n"
               "    callDBus('%1', '%2', '%3', '%4', w && w.pid ? w.pid : 0);\n"
               "}\n"
               "if (workspace.windowActivated) {\n"
               "    workspace.windowActivated.connect(report);\n"
               "    report(workspace.activeWindow);\n"
               "} else {\n"
               "    workspace.clientActivated.connect(report);\n"
               "    report(workspace.activeClient);\n"
               "}\n")
        .arg(service, kKWinCallbackPath, kKWinCallbackInterface, kKWinCallbackMethod);
}

// Takes the script's calls; the pid is all it keeps.
class ActivationReceiver final : public QDBusVirtualObject {
public:
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.interface() != kKWinCallbackInterface || message.member() != kKWinCallbackMethod ||
            message.arguments().size() != 1) {
            return false;
        }
        bool ok = false;
        const qlonglong pid = message.arguments().front().toLongLong(&ok);
        pid_.store(ok ? static_cast<long>(pid) : 0);
        if (message.isReplyRequired()) connection.send(message.createReply());
        return true;
    }
    QString introspect(const QString&) const override {
        return QStringLiteral("<interface name=\"%1\"><method name=\"%2\"><arg type=\"i\" direction=\"in\"/>"
                              "</method></interface>")
            .arg(kKWinCallbackInterface, kKWinCallbackMethod);
    }
    long Pid() const { return pid_.load(); }

private:
    std::atomic<long> pid_{0};
};

class KWinForeground final : public platform::ForegroundProcess {
public:
    KWinForeground(QDBusConnection bus, QString service) : bus_(std::move(bus)), service_(std::move(service)) {
        if (!bus_.isConnected() || !folder_.isValid()) {
            platform::debugOut("kwin: no session bus; the program in front is unknown");
            return;
        }
        if (!bus_.registerVirtualObject(kKWinCallbackPath, &receiver_)) {
            platform::debugOut("kwin: cannot register the activation callback");
            return;
        }
        const QString path = folder_.filePath("foreground.js");
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(ScriptText(bus_.baseService()).toUtf8()) < 0) {
            platform::debugOut("kwin: cannot write the activation script");
            return;
        }
        file.close();
        // Sent in order on one connection and never waited for: a script of an earlier run goes
        // first, then ours is loaded and started.
        Scripting("unloadScript", {kKWinScriptName});
        Scripting("loadScript", {path, kKWinScriptName});
        Scripting("start", {});
        loaded_ = true;
    }
    ~KWinForeground() override {
        if (loaded_) Scripting("unloadScript", {kKWinScriptName});
        bus_.unregisterObject(kKWinCallbackPath);
    }

    std::string_view Backend() const override { return "kwin"; }
    platform::ForegroundApp Current() override { return platform::ExecutableOfPid(receiver_.Pid()); }

private:
    void Scripting(const char* method, const QVariantList& arguments) {
        QDBusMessage call = QDBusMessage::createMethodCall(service_, kScriptingPath, kScriptingInterface, method);
        call.setArguments(arguments);
        bus_.send(call);
    }

    QDBusConnection bus_;
    QString service_;
    QTemporaryDir folder_;
    ActivationReceiver receiver_;
    bool loaded_ = false;
};

}  // namespace

std::unique_ptr<platform::ForegroundProcess> MakeKWinForeground(QDBusConnection bus, const QString& kwinService) {
    return std::make_unique<KWinForeground>(std::move(bus), kwinService);
}

}  // namespace corvane::platform
