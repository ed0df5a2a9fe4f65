#include "filesaving.h"

#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <signal.h>
#endif

namespace FileSaving {

void ignoreFileSizeSignal()
{
#if defined(Q_OS_UNIX) && defined(SIGXFSZ)
    // Looked at on every call rather than once, since a program may restore
    // the default action after its first save.
    struct sigaction current = {};
    if (sigaction(SIGXFSZ, nullptr, &current) != 0 || current.sa_handler != SIG_DFL)
        return;
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGXFSZ, &ignore, nullptr);
#endif
}

bool write(const QString &filePath, const QByteArray &bytes, QString *reason)
{
    ignoreFileSizeSignal();
    QSaveFile file(filePath);
    const auto failed = [&] {
        if (reason)
            *reason = file.errorString();
        return false; // the QSaveFile, uncommitted, removes its temporary file
    };
    // Unbuffered, so that a write fails where it happens. Buffered, content
    // smaller than the buffer reaches the disk only in commit(), which goes on
    // to replace the file even when that last write failed: a full disk left
    // an empty or cut-off file in place of the old one and reported success.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return failed();
    const char *data = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        // A write cut short by a full disk or the file-size limit reports no
        // error of its own; the next one fails with the system's reason.
        const qint64 written = file.write(data, left);
        if (written <= 0)
            return failed();
        data += written;
        left -= written;
    }
    if (!file.commit())
        return failed();
    return true;
}

} // namespace FileSaving
