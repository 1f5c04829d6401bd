#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "platform/file_locations.h"
#include "support/test_support.h"

using namespace lt;
using lt::test::writeFile;

namespace {

LocationInputs at(const char* appDir, bool writable) {
    LocationInputs in;
    in.appDir = QString::fromUtf8(appDir);
    in.appDirWritable = writable;
    in.home = QStringLiteral("/home/ana");
    return in;
}

QString settingsDirOf(const LocationInputs& in) {
    return chooseFileLocations(in).settingsDir;
}

}  // namespace

TEST(FileLocations, PortableFoldersKeepFilesBesideTheProgramInstalledOnesUseXdg) {
    const QString xdgConfig = QStringLiteral("/home/ana/.config/LinkTally");
    // Installed system-wide: never beside the program, even when root can write there.
    EXPECT_EQ(settingsDirOf(at("/usr/bin", true)), xdgConfig);
    EXPECT_EQ(settingsDirOf(at("/opt/linktally/bin", true)), xdgConfig);
    // "/usrlocal" is not under /usr.
    EXPECT_EQ(settingsDirOf(at("/usrlocal/bin", true)), QStringLiteral("/usrlocal/bin"));
    // Installed under a prefix the user owns, such as ~/.local: still XDG.
    LocationInputs local = at("/home/ana/.local/bin", true);
    local.installedLayout = true;
    EXPECT_EQ(settingsDirOf(local), xdgConfig);
    // A settings file beside the program wins wherever it is.
    LocationInputs kept = at("/opt/linktally/bin", false);
    kept.appDirHasSettings = true;
    kept.installedLayout = true;
    EXPECT_EQ(settingsDirOf(kept), QStringLiteral("/opt/linktally/bin"));
    // XDG variables are honoured when absolute, ignored when relative.
    LocationInputs xdg = at("/usr/bin", false);
    xdg.xdgConfigHome = QStringLiteral("/srv/cfg");
    xdg.xdgDataHome = QStringLiteral("data");
    const AppFiles files = chooseFileLocations(xdg);
    EXPECT_EQ(files.settingsPath(), QStringLiteral("/srv/cfg/LinkTally/Linktally.ini"));
    EXPECT_EQ(files.historyPath(), QStringLiteral("/home/ana/.local/share/LinkTally/LinkTally.db"));
}

TEST(FileLocations, AnInstalledTreeIsRecognisedFromTheFileSystem) {
    QTemporaryDir root;
    const QString bin = root.filePath(QStringLiteral("usr/bin"));
    QDir().mkpath(bin);
    EXPECT_EQ(chooseFileLocations(gatherLocationInputs(bin)).settingsDir, bin);  // writable
    QDir().mkpath(root.filePath(QStringLiteral("usr/share/linktally")));
    writeFile(root.filePath(QStringLiteral("usr/share/linktally/Linktally.ini")), "[Idiomas]\n");
    EXPECT_NE(chooseFileLocations(gatherLocationInputs(bin)).settingsDir, bin);

    writeFile(bin + QStringLiteral("/Linktally.ini"), "[Idiomas]\n");
    EXPECT_EQ(chooseFileLocations(gatherLocationInputs(bin)).settingsDir, bin);
}
