#pragma once
// Moves the whole settings record between the file and the form (LeerINI, GuardarINI)
// and reads or writes single keys at their own moments.
#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

#include "settings/ini_file.h"
#include "settings/parametros_monitor.h"

namespace lt {

struct MainForm;
struct EstadoMonitor;
class Clock;
class Messages;
class FileSystem;

class SettingsStore {
  public:
    SettingsStore(QString path, FileSystem& fs, MainForm& form, EstadoMonitor& estado,
                  ParametrosMonitor& params, const Clock& clock, Messages& messages);

    const QString& path() const { return path_; }

    // What a file that cannot be read gives way to: the settings shipped with the program.
    void setShippedDefaults(QByteArray defaults) { defaults_ = std::move(defaults); }

    // Reads every key into the form. A file that cannot be read, or holds none of the
    // program's sections (empty, random bytes, NULs), is reported and left as it is: the
    // program runs on the shipped defaults and never writes over it.
    void LeerINI();
    // Writes all keys in one atomic replacement of the file; false (and the user told
    // once) when the file cannot be written. Refused before LeerINI has run: a record
    // half loaded would blank what it has not read yet.
    bool GuardarINI();
    bool loaded() const { return loaded_; }
    bool unreadable() const { return unreadable_; }

    QString LeerValorINI(const QString& section, const QString& key) const;
    bool GuardarValorINI(const QString& section, const QString& key, const QString& value);

    // Number of keys of the whole record.
    int keyCount() const { return static_cast<int>(keys_.size()); }

  private:
    struct Key {
        QString section;
        QString key;
        std::function<void(const std::optional<QString>&)> read;
        std::function<QString()> write;
    };
    void addTariffKeys();
    void addOtherKeys();
    void addViewKeys();
    void addVolumeKeys();
    void add(const char* section, const char* key,
             std::function<void(const std::optional<QString>&)> read,
             std::function<QString()> write);
    void reportWriteFailure(const QString& why);
    void removeLeftovers();
    bool writable();

    QString path_;
    FileSystem& fs_;
    MainForm& form_;
    EstadoMonitor& estado_;
    ParametrosMonitor& params_;
    const Clock& clock_;
    Messages& messages_;
    std::vector<Key> keys_;
    QByteArray defaults_;
    bool loaded_ = false;
    bool unreadable_ = false;
    QString unreadableWhy_;
    bool failureReported_ = false;
};

// "dd/MM/yyyy", then " hh:mm:ss" when the time part is not zero.
QString formatFeInt(double feInt);

}  // namespace lt
