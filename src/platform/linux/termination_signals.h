#pragma once
// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the event loop, so the program
// can save and close its session before it ends.
#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace lt {

class TerminationSignals : public QObject {
    Q_OBJECT
  public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

  signals:
    void terminationRequested();

  private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace lt
