#pragma once
// One running copy per settings file: a lock that the kernel holds for the copy that
// runs decides who runs, and a local socket lets a second start ask the running copy to
// come to the front.
#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace lt {

class SingleInstance : public QObject {
    Q_OBJECT
  public:
    enum class Result {
        Runs,           // this process is the one that runs
        RunsUnguarded,  // it runs, but the lock file could not be made (error() says why)
        AnotherRuns,    // the running copy was asked to show itself; this one ends
    };
    explicit SingleInstance(const QString& lockPath, QObject* parent = nullptr);
    ~SingleInstance() override;

    Result acquire();
    const QString& error() const { return error_; }
    // Called in the running copy when another start asks for the window.
    void setActivationHandler(std::function<void()> h) { onActivate_ = std::move(h); }

  private:
    QString socketPath() const;
    bool askRunningCopy() const;
    void listen();
    void answer();

    QString lockPath_;
    int fd_ = -1;
    QString error_;
    int server_ = -1;
    std::unique_ptr<QSocketNotifier> calls_;
    std::function<void()> onActivate_;
};

}  // namespace lt
