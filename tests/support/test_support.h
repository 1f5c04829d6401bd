#pragma once
// Fakes shared by the tests.
#include <QString>
#include <QTemporaryDir>
#include <vector>

#include "form/messages.h"
#include "platform/connection.h"
#include "platform/message_box.h"

#include <ostream>

// Readable QString values in test failures.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace lt::test {

// Records the messages instead of showing them.
class RecordingMessageBox final : public MessageBox {
  public:
    struct Shown {
        Icon icon;
        QString title;
        QString text;
    };
    void show(Icon icon, const QString& title, const QString& text) override {
        shown.push_back({icon, title, text});
    }
    std::vector<Shown> shown;
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

// A history database with `rows` sessions, made in one transaction.
void fillHistory(const QString& dbPath, int rows);

QString readFile(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);

}  // namespace lt::test
