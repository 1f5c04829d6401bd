#pragma once
// Fakes shared by the tests.
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

#include "core/grid.h"
#include "form/messages.h"
#include "platform/autostart.h"
#include "platform/connection.h"
#include "platform/desktop_notifier.h"
#include "platform/message_box.h"
#include "platform/time_service.h"
#include "platform/traffic_counters.h"
#include "stats/statistics.h"

#include <ostream>

// Readable QString values in test failures.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace lt::test {

// A grid's rows added up per day, as the database adds up the stored ones.
inline std::vector<SesionesDelDia> daysOf(const Grid& grid) {
    return sesionesPorDia(grid.rowCount(), [&grid](int r, int c) {
        return c < grid.columns() ? grid.cell(r, c) : QString();
    });
}

// Records the messages instead of showing them.
class RecordingMessageBox final : public MessageBox {
  public:
    struct Shown {
        Icon icon;
        QString title, text;
    };
    void show(Icon icon, const QString& title, const QString& text) override {
        shown.push_back({icon, title, text});
    }
    void ask(const QString& title, const QString& text, std::function<void(bool)> answer) override {
        shown.push_back({Icon::Question, title, text});
        answers.push_back(std::move(answer));
    }
    std::vector<Shown> shown;
    std::vector<std::function<void(bool)>> answers;  // of the questions, in order
};

// Messages that reach a recorder at once, in the language of the state given.
struct LiveMessages {
    explicit LiveMessages(const EstadoMonitor& estado) : messages(box, estado) {
        messages.release();
    }
    RecordingMessageBox box;
    Messages messages;
};

// A connection whose state the test sets.
class FakeProbe final : public ConnectionProbe {
  public:
    ConnectionState query() override {
        ++queries;
        return state;
    }
    void setOnline(bool on, std::uint32_t flags = kFlagLan) { state = {on, on ? flags : 0}; }
    ConnectionState state;
    int queries = 0;
};

// Records cuts; ends `ends` connections on each (0: nothing it could end).
class FakeCutter final : public ConnectionCutter {
  public:
    int hangUp() override {
        ++calls;
        if (probe && ends > 0) probe->setOnline(false);
        return ends;
    }
    int ends = 1;
    int calls = 0;
    FakeProbe* probe = nullptr;  // goes off line when a cut ends something
};

// One link's byte counters, moved by the test; unreadable when it says so.
class FakeTrafficCounters final : public TrafficCounters {
  public:
    bool read(std::vector<InterfaceBytes>& out) override {
        out.clear();
        if (!readable) return false;
        InterfaceBytes link;
        link.name[0] = 'e', link.name[1] = '0';
        link.received = received;
        link.sent = sent;
        out.push_back(link);
        return true;
    }
    std::uint64_t received = 1'000'000'000, sent = 500'000'000;
    bool readable = true;
};

// Records the notifications; answers as if no service ran when it says so.
class FakeNotifier final : public DesktopNotifier {
  public:
    bool notify(const QString& title, const QString& body) override {
        if (!available) return false;
        shown.push_back({title, body});
        return true;
    }
    struct Shown {
        QString title, body;
    };
    std::vector<Shown> shown;
    bool available = true;
};

// A time server's connection that the test plays.
class FakeTimeSocket final : public TimeSocket {
  public:
    void setEvents(Events e) override { events = std::move(e); }
    void connectTo(const QString& host, quint16 port) override {
        hosts.append(host + ':' + QString::number(port));
        open = true;
    }
    void close() override {
        if (open) ++closes;
        open = false;
    }
    bool isOpen() const override { return open; }
    void serverCloses() {
        open = false;
        events.closed();
    }
    Events events;
    QStringList hosts;
    int closes = 0;
    bool open = false;
};

// Records the instants the PC clock was set to; refuses when told.
class FakeClockSetter final : public SystemClockSetter {
  public:
    bool setUtc(const QDateTime& t, QString* error) override {
        set.push_back(t);
        if (!accept && error) *error = QStringLiteral("denied");
        return accept;
    }
    bool accept = true;
    std::vector<QDateTime> set;
};

class FakeAutostart final : public Autostart {
  public:
    bool enable(const QString&, QString* error) override { return change(true, error); }
    bool disable(QString* error) override { return change(false, error); }
    bool isEnabled() const override { return enabled; }
    bool change(bool on, QString* error) {
        if (fail) *error = QStringLiteral("disk full");
        enabled = fail ? enabled : on;
        return !fail;
    }
    bool enabled = false, fail = false;
};

// The application object that Qt's event loop and sockets need, made once.
void coreApplication();

// The sessions stored in a history database, six texts each, in stored order.
std::vector<QStringList> storedSessions(const QString& dbPath);

// A history database with `rows` sessions, made in one transaction.
void fillHistory(const QString& dbPath, int rows);

QString readFile(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);

}  // namespace lt::test
