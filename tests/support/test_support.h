#pragma once
// Fakes shared by the tests.
#include <QString>
#include <QTemporaryDir>
#include <vector>

#include "platform/message_box.h"

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

QString readFile(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);

}  // namespace lt::test
