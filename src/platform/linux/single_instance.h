#pragma once
// One running copy per settings file: a lock file decides who runs, and a local socket
// lets a second start ask the running copy to come to the front.
#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <functional>
#include <memory>

namespace lt {

class SingleInstance : public QObject {
    Q_OBJECT
  public:
    explicit SingleInstance(const QString& lockPath, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process is the one that runs; otherwise the running copy has been
    // asked to show itself and this process should exit.
    bool acquire();
    // Called in the running copy when another start asks for the window.
    void setActivationHandler(std::function<void()> h) { onActivate_ = std::move(h); }

  private:
    QString serverName() const;
    QString lockPath_;
    QLockFile lock_;
    std::unique_ptr<QLocalServer> server_;
    std::function<void()> onActivate_;
};

}  // namespace lt
