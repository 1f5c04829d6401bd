// Opens a history database, loads every record into memory and prints the time
// that took in milliseconds, then the number of records.
// Usage: history_load PATH/LinkTally.db
#include <QString>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "history/history_store.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s LinkTally.db\n", argv[0]);
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    lt::HistoryStore store(QString::fromLocal8Bit(argv[1]));
    std::vector<lt::SessionRecord> records;
    const bool ok = store.open() && store.loadAll(records);
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    if (!ok) {
        std::fprintf(stderr, "%s\n", qPrintable(store.error()));
        return 1;
    }
    std::printf("%.1f ms\n%zu records\n", took.count(), records.size());
    // Freeing the records is not part of the load; leave that to the end of the process.
    std::fflush(stdout);
    std::_Exit(0);
}
