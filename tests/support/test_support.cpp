#include "support/test_support.h"

#include <sqlite3.h>
#include <QCoreApplication>
#include <QFile>

#include "history/history_store.h"

namespace lt::test {

void coreApplication() {
    static int argc = 1;
    static char arg0[] = "linktally-test";
    static char* argv[] = {arg0, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}

QString readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll());
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(bytes);
}

std::vector<QStringList> storedSessions(const QString& dbPath) {
    std::vector<QStringList> out;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(dbPath.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "SELECT * FROM Historial ORDER BY rowid", -1, &st, nullptr);
        while (st && sqlite3_step(st) == SQLITE_ROW) {
            QStringList row;
            for (int c = 0; c < 6; ++c)
                row << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c)));
            out.push_back(row);
        }
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return out;
}

void fillHistory(const QString& path, int rows) {
    {
        lt::HistoryStore store(path);  // the schema as the program makes it
        store.open();
    }
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(
        db,
        "INSERT INTO Historial (fecha, HoraInicio, HoraFinalizacion, TiempoConexion, costo, "
        "CostoAcumulado) VALUES ('05/12/2026','10:00:00','11:00:00','01:00:00','001.60',?)",
        -1, &st, nullptr);
    for (int i = 0; i < rows; ++i) {
        const QByteArray acc = QByteArray::number(i * 1.6, 'f', 2);
        sqlite3_bind_text(st, 1, acc.constData(), static_cast<int>(acc.size()), SQLITE_TRANSIENT);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

}  // namespace lt::test
