#pragma once
// The program's command line: the positional form (a process settings file, then "auto") and
// the options that answer without a display, settings, data source or lock.
#include <QString>
#include <QStringList>

namespace pelk {

struct RCommandLine
{
    enum Action { Run, Help, Version, Usage };
    Action action = Run;
    QStringList Positional; // the arguments the main data module takes
    bool DryRun = false;
    QString Error; // why the command line was refused (Usage)

    bool Automatic() const { return Positional.value(1) == QLatin1String("auto"); }
};

// Options (--help, --version, --dry-run) may stand anywhere; "--" ends them. Any other word
// beginning with "-" is refused. A dry run needs a process settings file and "auto".
RCommandLine ParseCommandLine(const QStringList &arguments);

// The usage text: the forms, the options, the exit codes and the environment.
QString UsageText();

// "PelkDataExchanger <version>", then "<file> <version>" for ObjectRules.xml beside the program
// and each stylesheet with a version comment in the transformation folder of the settings
// beside the program (its "xsl" folder when the settings do not name one).
QString VersionText(const QString &appFolder);

} // namespace pelk
