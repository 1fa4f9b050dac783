#pragma once
// Whole files written so that a crash never leaves half a file under the final name: the bytes
// go to "<path>.part", are flushed to disk, and the file is then renamed to its name. A crash
// leaves at most "<path>.part", a name the program recognises as its own.
#include <QByteArray>
#include <QString>

namespace pelk {

inline constexpr const char *kPartSuffix = ".part";

enum class Overwrite { Replace, Refuse };

// True when the file holds the bytes; false with the reason in *error (may be null). With
// Overwrite::Refuse an existing file is never replaced (the call fails and it stays).
bool WriteFileAtomically(const QString &path, const QByteArray &bytes, Overwrite overwrite, QString *error);

} // namespace pelk
