#pragma once

#include <QObject>

#include <functional>
#include <memory>

class QSocketNotifier;

namespace corvane::shell {

// SIGTERM, SIGINT and SIGHUP end the program the way the tray's exit does: the handler only
// records the signal; the quit itself runs on the UI thread, so pending settings are written and
// the workers stop in order. A second signal while the first is handled is not waited for.
class QuitSignals : public QObject {
public:
    explicit QuitSignals(std::function<void()> quit);
    ~QuitSignals() override;
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

private:
    void OnSignal();

    std::function<void()> quit_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace corvane::shell
