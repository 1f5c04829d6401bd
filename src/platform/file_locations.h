#pragma once
// Where the settings file, the history and the animation live: beside the program for a
// portable install or a build tree, else in the user's XDG directories.
#include <QString>

namespace lt {

struct AppFiles {
    QString settingsDir;
    QString dataDir;
    QString settingsPath() const { return settingsDir + QStringLiteral("/Linktally.ini"); }
    QString historyPath() const { return dataDir + QStringLiteral("/LinkTally.db"); }
    QString animationPath() const { return dataDir + QStringLiteral("/linktally.gif"); }
    // The running session and the finished ones the history has not taken yet.
    QString ledgerPath() const { return dataDir + QStringLiteral("/LinkTally.ledger"); }
    // The settings file's lock, so that one copy runs per settings file.
    QString lockPath() const { return settingsDir + QStringLiteral("/.linktally.lock"); }
};

struct LocationInputs {
    QString appDir;
    bool appDirHasSettings = false;
    bool appDirWritable = false;
    // The program sits in an installed tree (bin/ beside share/linktally/), wherever its
    // prefix is: ~/.local as much as /usr.
    bool installedLayout = false;
    QString xdgConfigHome;  // empty when unset
    QString xdgDataHome;    // empty when unset
    QString home;
};

AppFiles chooseFileLocations(const LocationInputs& in);
// Reads the environment and the file system for chooseFileLocations.
LocationInputs gatherLocationInputs(const QString& appDir);

}  // namespace lt
