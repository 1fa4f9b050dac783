#pragma once
// The key text of stored passwords, supplied by the key library "Transakcje" (Transakcje.dll
// on Windows, libTransakcje.so elsewhere), loaded by name on every call.
#include <QByteArray>
#include <QString>
#include <functional>

namespace pelk {

using KeyLibraryMessageHandler = std::function<void(const QString &text, const QString &caption)>;

// Installs what shows the library's failure (the window's modal box, or the log in an
// unattended run). An empty handler restores the default: a warning on standard error.
void SetKeyLibraryMessageHandler(KeyLibraryMessageHandler handler);

// The key text (the buffer up to its first NUL). False when the library, an entry point or a
// key text is missing: "Błąd ładowania biblioteki Transakcje.dll" (caption "Error") has then
// gone through the handler. Looks beside the program first, then on Windows in the system
// folder only, elsewhere on the library path.
bool LoadKeyText(QByteArray &keyText);

// Where the key file (PELK_KEY_FILE, else Transakcje.key beside the key library) may be read
// by other users than its owner: the warning to show; empty when it is private, missing, or
// the platform has no such file modes.
QString KeyFileExposure();

} // namespace pelk
