#include "Settings.h"

#include "Guarded.h"
#include "Log.h"
#include "config/Errors.h"
#include "config/XMLSerializer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <memory>

namespace pelk {

namespace {

constexpr int kMaxDniPrzechowywaniaLogow = 36500;

// "DSLocateKonfig.SerwerDSLocate.Haslo" of a property element: every enclosing property, and
// the item of a collection ("Item_2"), outermost first.
QString KeyPath(xmlNodePtr propertyNode)
{
    QStringList parts;
    for (xmlNodePtr n = propertyNode; n && n->type == XML_ELEMENT_NODE; n = n->parent) {
        const bool isItem = xmlStrEqual(n->name, BAD_CAST "class") && n->parent
            && xmlStrEqual(n->parent->name, BAD_CAST "customdata");
        if (isItem || xmlStrEqual(n->name, BAD_CAST "property")) {
            xmlChar *name = xmlGetProp(n, BAD_CAST "name");
            parts.prepend(QString::fromUtf8(reinterpret_cast<const char *>(name)));
            xmlFree(name);
        }
    }
    return parts.join(QLatin1Char('.'));
}

// Keys whose values are credentials (enciphered logins and passwords).
bool IsSecretKey(const QString &keyPath)
{
    const QString last = keyPath.section(QLatin1Char('.'), -1);
    for (const char *secret : {"Haslo", "Password", "Login"})
        if (last.compare(QLatin1String(secret), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QString NodeText(xmlNodePtr node)
{
    xmlChar *content = xmlNodeGetContent(node);
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(content));
    xmlFree(content);
    return text;
}

} // namespace

TSettings::TSettings(QObject *parent) : TPersistent(parent)
{
    if (QCoreApplication::instance())
        AppFolder = QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

bool TSettings::SaveToFile(const QString &fileName)
{
    std::unique_ptr<TXMLSerializer> serializer(m_factory ? m_factory() : TXMLSerializer::CreateSystemSerializer(nullptr));
    serializer->SaveObject(this, ClassName());
    QString error;
    if (!serializer->SaveDocument(fileName, &error))
        throw Exception(QStringLiteral("Nie można zapisać pliku %1").arg(error));
    return true;
}

bool TSettings::LoadFromFile(const QString &fileName)
{
    std::unique_ptr<TXMLSerializer> serializer(m_factory ? m_factory() : TXMLSerializer::CreateSystemSerializer(nullptr));
    // A missing or unreadable file is a failure (with its reason), not an empty success.
    QString error;
    m_loadError = QStringLiteral("Nie można odczytać pliku %1").arg(fileName);
    if (!serializer->LoadDocument(fileName, &error)) {
        m_loadError = QStringLiteral("Nie można odczytać pliku %1").arg(error);
        throw Exception(m_loadError);
    }
    // The serializer's own error names no key; say which one, its value and why before the
    // load ends. Secrets are not repeated: a plain password put where its cipher belongs
    // would otherwise reach the log and the error mails.
    serializer->OnSetPropertyError = [this, &fileName](TXMLSerializer *, const QString &, xmlNodePtr node, const Exception &e,
                                                       bool &) {
        const QString key = KeyPath(node);
        const QString value = IsSecretKey(key) ? QStringLiteral("wartość ukryta")
                                               : QStringLiteral("wartość: \"%1\"").arg(NodeText(node));
        m_loadError = QStringLiteral("Błędna wartość klucza \"%1\" w pliku %2:\r\n      %3\r\n      %4")
                          .arg(key, fileName, e.message(), value);
        if (m_log)
            m_log->Error(1, QLatin1Char(' ') + m_loadError);
    };
    serializer->LoadObject(this, ClassName());
    m_loadError.clear();
    return true;
}

bool TSettings::GuardedFileOperation(const char *operation, const std::function<bool()> &op)
{
    return Guarded(m_log, Where::Of(ClassName(), operation), op);
}

TSettingsAplikacji::TSettingsAplikacji(QObject *parent)
    : TSettings(parent), m_mailSettings(new TMailSettings(this)), m_dsLocateKonfig(new TDSLocateKonfig(this))
{}

bool TSettingsAplikacji::SaveToFile(const QString &fileName)
{
    return GuardedFileOperation("SaveToFile ", [&] { return TSettings::SaveToFile(fileName); });
}

bool TSettingsAplikacji::LoadFromFile(const QString &fileName)
{
    m_mailSettings->SettingsFile = fileName;
    return GuardedFileOperation("LoadFromFile ", [&] { return TSettings::LoadFromFile(fileName); });
}

bool TSettingsAplikacji::IsAbsolutePath(const QString &value)
{
    if (value.startsWith(QLatin1Char('/')) || value.startsWith(QLatin1String("\\\\")))
        return true;
    return value.size() >= 2 && value.at(0).isLetter() && value.at(1) == QLatin1Char(':');
}

QString TSettingsAplikacji::Resolve(const QString &value) const
{
    return IsAbsolutePath(value) ? value : AppFolder + value;
}

bool TSettingsAplikacji::CheckSettings()
{
    bool ok = true;
    auto fail = [&](const QString &message) {
        if (m_log)
            m_log->Error(1, message);
        ok = false;
    };
    if (m_wysylajBledyNaMaila && !m_mailSettings->CheckMailSettings())
        fail(QStringLiteral(" Błąd konfiguracji email.\r\n      %1").arg(m_mailSettings->BladKonfiguracji()));
    if (!QFileInfo(DefaultSubDirWork()).isDir())
        fail(QStringLiteral(" Brak domyślnego, roboczego katalogu:\r\n      %1").arg(DefaultSubDirWork()));
    if (!QFileInfo(TransforSubDir()).isDir())
        fail(QStringLiteral(" Brak katalogu z plikami do transformacji:\r\n      %1").arg(TransforSubDir()));
    if (!QFileInfo(DefaultSettingsFileName()).isFile())
        m_defaultSettingsFileName.clear();
    if (m_dsnPelkGISTrasar.isEmpty())
        fail(QStringLiteral(" Brak w pliku konfiguracyjnym wartości zmiennej \"DSN_PelkGISTrasar\"."));
    if (m_dsnMovex.isEmpty())
        fail(QStringLiteral(" Brak w pliku konfiguracyjnym wartości zmiennej \"DSN_Movex\"."));
    if (m_dsnCaesar.isEmpty())
        fail(QStringLiteral(" Brak w pliku konfiguracyjnym wartości zmiennej \"DSN_Caesar\"."));
    if (m_traceLevel < 1 || m_traceLevel > 3)
        fail(QStringLiteral(" Wartość zmiennej \"TraceLevel\" w pliku konfiguracyjnym poza dozwolonym zakresem."));
    if (m_limitCzasuLogowania < 1 || m_limitCzasuLogowania > 3600)
        fail(QStringLiteral(" Wartość zmiennej \"LimitCzasuLogowania\" w pliku konfiguracyjnym poza dozwolonym zakresem."));
    if (m_dniPrzechowywaniaLogow < 0 || m_dniPrzechowywaniaLogow > kMaxDniPrzechowywaniaLogow)
        fail(QStringLiteral(" Wartość zmiennej \"DniPrzechowywaniaLogow\" w pliku konfiguracyjnym poza dozwolonym zakresem."));
    return ok;
}

TObjectToProcessCollectionItem::TObjectToProcessCollectionItem(TObjectCollection *collection) : TObjectCollectionItem(collection)
{}

void TObjectToProcessCollectionItem::SetDozwolone(int v)
{
    if (v < 0 || v > 0xFF)
        throw EConvertError(QStringLiteral("Niepoprawny zbiór stanów: %1").arg(v));
    ListaDozwolonychStanow = e_Stany(v);
}

TObjectToProcessCollection::TObjectToProcessCollection(QObject *parent)
    : TObjectCollection(TObjectToProcessCollectionItem::staticMetaObject, parent)
{}

TObjectToProcessCollectionItem *TObjectToProcessCollection::FindByName(const QString &name) const
{
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->NazwaObiektu.contains(name, Qt::CaseSensitive))
            return Items(i);
    return nullptr;
}

TSettingsProcess::TSettingsProcess(QObject *parent) : TSettings(parent), m_objects(new TObjectToProcessCollection(this)) {}

bool TSettingsProcess::SaveToFile(const QString &fileName)
{
    return GuardedFileOperation("SaveToFile ", [&] { return TSettings::SaveToFile(fileName); });
}

bool TSettingsProcess::LoadFromFile(const QString &fileName)
{
    return GuardedFileOperation("LoadFromFile ", [&] { return TSettings::LoadFromFile(fileName); });
}

} // namespace pelk
