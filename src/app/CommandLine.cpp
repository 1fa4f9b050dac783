#include "CommandLine.h"

#include "DM_Main.h"
#include "Process.h"
#include "Settings.h"

#include <QDir>
#include <QFile>
#include <QXmlStreamReader>

namespace pelk {

namespace {

const QString kProgram = QStringLiteral("PelkDataExchanger");

// The TransforSubDir key of a settings file, read without loading the settings (which would
// decipher their passwords); empty when the file or the key is missing.
QString TransformFolderKey(const QString &settingsFile)
{
    QFile file(settingsFile);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QXmlStreamReader xml(&file);
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("property")
            && xml.attributes().value(QLatin1String("name")) == QLatin1String("TransforSubDir"))
            return xml.readElementText().trimmed();
    return QString();
}

QString VersionLine(const QString &file, const QString &version)
{
    return file + QLatin1Char(' ') + version + QLatin1Char('\n');
}

} // namespace

RCommandLine ParseCommandLine(const QStringList &arguments)
{
    RCommandLine line;
    bool options = true;
    for (const QString &argument : arguments) {
        if (!options || argument == QLatin1String("-") || !argument.startsWith(QLatin1Char('-'))) {
            line.Positional << argument;
        } else if (argument == QLatin1String("--")) {
            options = false;
        } else if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            line.action = RCommandLine::Help;
            return line;
        } else if (argument == QLatin1String("--version")) {
            line.action = RCommandLine::Version;
            return line;
        } else if (argument == QLatin1String("--dry-run")) {
            line.DryRun = true;
        } else {
            line.action = RCommandLine::Usage;
            line.Error = QStringLiteral("unknown option %1").arg(argument);
            return line;
        }
    }
    if (line.DryRun && !line.Automatic()) {
        line.action = RCommandLine::Usage;
        line.Error = QStringLiteral("--dry-run needs a process settings file and auto");
    }
    return line;
}

QString UsageText()
{
    return QStringLiteral("Usage: PelkDataExchanger [process-settings.xml [auto]]\n"
                          "       PelkDataExchanger --dry-run process-settings.xml auto\n"
                          "       PelkDataExchanger --help | --version\n"
                          "\n"
                          "Without arguments the window opens with the default process settings; with a process\n"
                          "settings file it opens with that file. With auto after the file the exchange runs once,\n"
                          "unattended and without a display, and the program ends: one line per kind on standard\n"
                          "output (listed, new, updated, unchanged, refused, failed, seconds), the log file in the\n"
                          "log folder. PelkDataExchanger.xml and ObjectRules.xml lie beside the program.\n"
                          "\n"
                          "Options:\n"
                          "  --dry-run  run every element through every stage and its database save, then roll the\n"
                          "             save back: nothing is written to the GIS database or the working folder, no\n"
                          "             last-exchange time is stored; the summary tells what would have been stored.\n"
                          "             GPS archives are fetched and decoded, and no stop is stored.\n"
                          "  --help     this text\n"
                          "  --version  the program's version and those of ObjectRules.xml and the stylesheets\n"
                          "\n"
                          "Exit codes of an unattended run:\n"
                          "  0   every kind ran to its end (elements refused for their data are logged)\n"
                          "  1   the run ended, but something is left for the next run: a list that could not be\n"
                          "      read, an element lost to a database or network error, GPS requests not answered\n"
                          "  2   start-up failed: settings, process settings or the GIS connection\n"
                          "  3   another instance runs\n"
                          "  64  a command line the program does not take\n"
                          "\n"
                          "Environment:\n"
                          "  ODBCINI        unixODBC's data sources file (default: /etc/odbc.ini and ~/.odbc.ini)\n"
                          "  ODBCSYSINI     the folder of odbc.ini and odbcinst.ini (drivers)\n"
                          "  PELK_KEY_FILE  the key file of the key library (default: Transakcje.key beside it)\n"
                          "  TMPDIR         the folder of the single-instance lock PelkDataExchanger.lock\n");
}

QString VersionText(const QString &appFolder)
{
    const QDir app(appFolder);
    QString text = kProgram + QLatin1Char(' ') + TProcess::ModuleVersion() + QLatin1Char('\n');
    const QString rules = app.filePath(QStringLiteral("ObjectRules.xml"));
    if (const QString version = TProcess::CommentVersion(rules); !version.isEmpty())
        text += VersionLine(QStringLiteral("ObjectRules.xml"), version);
    QString folder = TransformFolderKey(app.filePath(QLatin1String(TDM_Main::SettingsFileName)));
    if (folder.isEmpty())
        folder = QStringLiteral("xsl");
    const QDir stylesheets(TSettingsAplikacji::IsAbsolutePath(folder) ? folder : app.filePath(folder));
    for (const QString &name : stylesheets.entryList({QStringLiteral("*.xsl")}, QDir::Files, QDir::Name))
        if (const QString version = TProcess::CommentVersion(stylesheets.filePath(name)); !version.isEmpty())
            text += VersionLine(name, version);
    return text;
}

} // namespace pelk
