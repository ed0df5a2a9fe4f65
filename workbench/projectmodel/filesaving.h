#pragma once

#include <QByteArray>
#include <QString>

// Writing whole files, the one way every save of the workbench goes.
namespace FileSaving {

// Makes a write past the file-size limit (ulimit -f) fail with "File too
// large" instead of ending the process by SIGXFSZ, which would take every
// unsaved project with it. Only the default action is replaced: a handler, or
// SIG_IGN, that a host program installed stays. Does nothing where the
// system has no such signal.
void ignoreFileSizeSignal();

// Replaces the file's content with bytes through QSaveFile: afterwards the
// file holds either its old content or all of the new, never part of either.
// On failure returns false and sets reason to the system's words for it ("No
// space left on device", "File too large", "Permission denied"). Calls
// ignoreFileSizeSignal() first, so programs that never run the workbench's
// main() are covered too.
bool write(const QString &filePath, const QByteArray &bytes, QString *reason);

} // namespace FileSaving
