#pragma once
// One XSL transformation, file to file inside the working folder (or document to document in
// memory), and the per-run cache of compiled stylesheets.
#include <QDateTime>
#include <QHash>
#include <QString>
#include <memory>

struct _xsltStylesheet;
struct _xmlDoc;

namespace pelk {

class TLog;
class TStagedDocument;

// Compiled stylesheets by path. An entry is compiled again when the file's modification time
// or size changed, so an edited stylesheet takes effect at the latest with the next run.
class TStylesheetCache
{
public:
    TStylesheetCache() = default;
    TStylesheetCache(const TStylesheetCache &) = delete;
    TStylesheetCache &operator=(const TStylesheetCache &) = delete;
    ~TStylesheetCache();

    // The compiled stylesheet of the file, owned by the cache; null when it does not compile.
    _xsltStylesheet *Get(const QString &path) { return Share(path).get(); }
    // The same, kept alive for the holder even when the cache compiles the file again.
    std::shared_ptr<_xsltStylesheet> Share(const QString &path);
    int Compilations() const { return m_compilations; }

    // Compiles the file; the caller owns the result (free with Free). Null on failure.
    static _xsltStylesheet *Compile(const QString &path);
    static void Free(_xsltStylesheet *style);

private:
    struct Entry
    {
        QDateTime modified;
        qint64 size = -1;
        std::shared_ptr<_xsltStylesheet> style;
    };
    QHash<QString, Entry> m_entries;
    int m_compilations = 0;
};

class TTransformationObject
{
public:
    // workFolder: the working folder; xslFolder: the transformation folder. Without a cache
    // the stylesheet is compiled for this transformation alone.
    TTransformationObject(TLog &log, const QString &workFolder, const QString &xslFolder, TStylesheetCache *cache = nullptr);

    QString OutputName;     // result, in the working folder
    QString InputName;      // source, in the working folder
    QString StylesheetName; // in the transformation folder
    // When set, the source is this tree (the document of InputName) instead of the file, which
    // is read without blank text nodes. The tree is left as it was.
    _xmlDoc *Input = nullptr;
    // When set, the result tree goes here (with the way its file is written) instead of into
    // the file OutputName.
    TStagedDocument *Output = nullptr;

    // True when the result was saved. The result's file begins with the UTF-8 declaration; it
    // is written under a temporary name and renamed, and never replaces an existing file.
    bool Transform();

private:
    bool Run();

    TLog &m_log;
    QString m_work;
    QString m_xsl;
    TStylesheetCache *m_cache;
};

// folder + separator + name, without doubling a separator the folder ends with.
QString JoinFolder(const QString &folder, const QString &name);

} // namespace pelk
