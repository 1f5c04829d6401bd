// Costs of the settings file at start-up (parse + every key read), at the end of a
// session (every key written + serialized) and of the atomic save to disk.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include "platform/file_system.h"
#include "settings/ini_file.h"
#include "support/sample_settings.h"

namespace {

using lt::IniFile;

void BM_ParseAndReadAllKeys(benchmark::State& state) {
    const QByteArray file = lt::sample::sampleSettingsFile();
    const auto settings = lt::sample::sampleSettings();
    for (auto _ : state) {
        IniFile ini;
        ini.parse(file);
        for (const auto& s : settings) {
            auto value = ini.value(s.section, s.key);
            benchmark::DoNotOptimize(value);
        }
    }
    state.SetBytesProcessed(state.iterations() * file.size());
}
BENCHMARK(BM_ParseAndReadAllKeys);

// Arg 0: every key rewritten in an existing file; 1: the file built from nothing.
void BM_SetAllKeysAndSerialize(benchmark::State& state) {
    const bool fromNothing = state.range(0) != 0;
    const auto settings = lt::sample::sampleSettings();
    std::vector<QString> changed;
    for (const auto& s : settings) changed.push_back(s.value + u'1');

    IniFile existing;
    existing.parse(lt::sample::sampleSettingsFile());
    bool flip = false;
    for (auto _ : state) {
        IniFile fresh;
        IniFile& ini = fromNothing ? fresh : existing;
        flip = !flip;  // alternate values so that every round really rewrites each line
        for (size_t i = 0; i < settings.size(); ++i) {
            ini.setValue(settings[i].section, settings[i].key,
                         flip ? changed[i] : settings[i].value);
        }
        QByteArray bytes = ini.serialize();
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_SetAllKeysAndSerialize)->Arg(0)->Arg(1);

void BM_SaveToDisk(benchmark::State& state) {
    QTemporaryDir dir;
    if (!dir.isValid()) {
        state.SkipWithError("no temporary directory");
        return;
    }
    const QString path = dir.filePath("Linktally.ini");
    IniFile ini;
    ini.parse(lt::sample::sampleSettingsFile());
    lt::PosixFileSystem fs;
    for (auto _ : state) {
        if (!ini.save(fs, path)) {
            state.SkipWithError(ini.errorString().toStdString().c_str());
            break;
        }
    }
}
BENCHMARK(BM_SaveToDisk)->Unit(benchmark::kMicrosecond);

}  // namespace
