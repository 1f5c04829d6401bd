#include "platform/linux/freedesktop_notifier.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QMutex>
#include <QProcess>
#include <QSemaphore>
#include <QStandardPaths>
#include <QThread>
#include <functional>
#include <memory>
#include <vector>

#include "support/private_bus.h"
#include "support/test_support.h"

namespace lt {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

struct Shown {
    QString app;
    uint replaces;
    QString icon, title, body;
    int expiry;
};

class FakeNotifications : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

  public:
    std::vector<Shown> shown() const {
        QMutexLocker lock(&mutex_);
        return shown_;
    }
    void refuse(bool on) {
        QMutexLocker lock(&mutex_);
        refuses_ = on;
    }
    void hang() {
        QMutexLocker lock(&mutex_);
        hangs_ = true;
    }
    QSemaphore released;  // lets a hung call return

  public slots:
    uint Notify(const QString& app, uint replaces, const QString& icon, const QString& title,
                const QString& body, const QStringList&, const QVariantMap&, int expiry) {
        QMutexLocker lock(&mutex_);
        if (hangs_) {
            lock.unlock();
            released.acquire();
            return 0;
        }
        if (refuses_) {
            sendErrorReply(QDBusError::Failed, QStringLiteral("out of order"));
            return 0;
        }
        shown_.push_back({app, replaces, icon, title, body, expiry});
        return replaces != 0 ? replaces : ++lastId_;
    }
    QStringList GetCapabilities() {
        return {QStringLiteral("body"), QStringLiteral("body-markup")};
    }
    QString GetServerInformation() { return QStringLiteral("stand-in"); }

  private:
    mutable QMutex mutex_;
    std::vector<Shown> shown_;
    bool refuses_ = false, hangs_ = false;
    uint lastId_ = 40;
};

class DesktopNotifierTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::coreApplication(); }

    void SetUp() override {
        address_ = test::startPrivateBus(daemon_);
        if (address_.isEmpty()) GTEST_SKIP() << "no private bus: dbus-daemon is not installed";
        service_ = QDBusConnection::connectToBus(address_, QStringLiteral("notifications"));
        ASSERT_TRUE(service_.isConnected()) << "the private bus did not start";
        serviceThread_.start();
    }

    void TearDown() override {
        if (stand_in_) stand_in_->released.release(100);
        notifier_.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("notifications"));
        QDBusConnection::disconnectFromBus(QStringLiteral("notifier"));
        serviceThread_.quit();
        serviceThread_.wait();
        stand_in_.reset();
        daemon_.kill();
        daemon_.waitForFinished(5000);
    }

    // The stand-in answers on its own thread, as another program would.
    FakeNotifications* startService() {
        stand_in_ = std::make_unique<FakeNotifications>();
        stand_in_->moveToThread(&serviceThread_);
        EXPECT_TRUE(
            service_.registerObject(kPath, stand_in_.get(), QDBusConnection::ExportAllSlots));
        EXPECT_TRUE(service_.registerService(kService));
        return stand_in_.get();
    }

    FreedesktopNotifier& notifier() {
        if (!notifier_)
            notifier_ = std::make_unique<FreedesktopNotifier>(
                QDBusConnection::connectToBus(address_, QStringLiteral("notifier")));
        return *notifier_;
    }

    // Until the replies the service sent so far have reached the notifier: a call on the
    // notifier's own connection is answered after them.
    void settle() {
        QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService,
                                                           QStringLiteral("GetServerInformation"));
        QDBusConnection(QStringLiteral("notifier")).call(call, QDBus::Block, 5000);
        QCoreApplication::processEvents();
    }

    static bool waitUntil(const std::function<bool()>& done) {
        const QDeadlineTimer deadline(5000);
        bool met = done();  // asked once a round: `done` may act
        while (!met && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
            met = done();
        }
        return met;
    }

    QProcess daemon_;
    QString address_;
    QDBusConnection service_{QString()};
    QThread serviceThread_;
    std::unique_ptr<FakeNotifications> stand_in_;
    std::unique_ptr<FreedesktopNotifier> notifier_;
};

TEST_F(DesktopNotifierTest, ShowsEscapedTextAndReplacesTheSameKindOfNotice) {
    FakeNotifications* service = startService();
    const QString cut = QStringLiteral("Scheduled cut");

    EXPECT_TRUE(notifier().notify(cut, QStringLiteral("At 22:00 <ISP> & co")));
    ASSERT_TRUE(waitUntil([&] { return service->shown().size() == 1; }));
    settle();
    EXPECT_TRUE(notifier().notify(cut, QStringLiteral("At 23:00")));
    EXPECT_TRUE(notifier().notify(QStringLiteral("Allowance"), QStringLiteral("90%")));
    ASSERT_TRUE(waitUntil([&] { return service->shown().size() == 3; }));

    const auto shown = service->shown();
    EXPECT_EQ(shown[0].app, "LinkTally");
    EXPECT_EQ(shown[0].icon, "linktally");
    EXPECT_EQ(shown[0].title, cut);
    EXPECT_EQ(shown[0].body, "At 22:00 &lt;ISP&gt; &amp; co");
    EXPECT_EQ(shown[0].expiry, -1);
    EXPECT_EQ(shown[0].replaces, 0u);
    EXPECT_EQ(shown[1].replaces, 41u);  // the id the service gave the first
    EXPECT_EQ(shown[2].title, "Allowance");
    EXPECT_EQ(shown[2].replaces, 0u);
}

TEST_F(DesktopNotifierTest, NoServiceIsReportedAtOnceAndOneThatComesLaterIsUsed) {
    QElapsedTimer took;
    took.start();
    EXPECT_FALSE(notifier().notify(QStringLiteral("a"), QStringLiteral("b")));
    EXPECT_FALSE(notifier().notify(QStringLiteral("a"), QStringLiteral("b")));
    EXPECT_LT(took.elapsed(), 2000);

    FakeNotifications* service = startService();
    ASSERT_TRUE(waitUntil([&] { return notifier().notify("later", "shown"); }));
    ASSERT_TRUE(waitUntil([&] { return service->shown().size() == 1; }));
    EXPECT_EQ(service->shown()[0].title, "later");

    service_.unregisterService(kService);
    EXPECT_TRUE(waitUntil([&] { return !notifier().notify("gone", "again"); }));

    FreedesktopNotifier offBus(QDBusConnection(QStringLiteral("no such connection")));
    EXPECT_FALSE(offBus.notify(QStringLiteral("a"), QStringLiteral("b")));

    // The bus is connected a moment after start, or by the first notice if that is
    // sooner, and once.
    ASSERT_TRUE(service_.registerService(kService));
    int openedByNotice = 0, openedByTimer = 0;
    const auto counting = [this](int& opened, const QString& name) {
        return LazyBus([this, &opened, name] {
            ++opened;
            return QDBusConnection::connectToBus(address_, name);
        });
    };
    FreedesktopNotifier byNotice(counting(openedByNotice, QStringLiteral("byNotice")));
    FreedesktopNotifier byTimer(counting(openedByTimer, QStringLiteral("byTimer")));
    QCoreApplication::processEvents();
    EXPECT_EQ(openedByNotice + openedByTimer, 0);
    EXPECT_TRUE(waitUntil([&] { return byNotice.notify("soon", "shown"); }));
    EXPECT_EQ(openedByNotice, 1);
    EXPECT_TRUE(waitUntil([&] { return openedByTimer == 1; }));
    EXPECT_TRUE(byTimer.notify(QStringLiteral("later"), QStringLiteral("shown")));
    EXPECT_EQ(openedByNotice, 1);
    EXPECT_EQ(openedByTimer, 1);
    QDBusConnection::disconnectFromBus(QStringLiteral("byNotice"));
    QDBusConnection::disconnectFromBus(QStringLiteral("byTimer"));
}

}  // namespace
}  // namespace lt

#include "test_desktop_notifier.moc"
