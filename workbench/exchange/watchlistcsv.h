#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Watch lists as CSV files: one column "Name", one entry a row.
namespace WatchListCsv {

// Larger files are refused before they are read.
constexpr qint64 maxFileSize = 8 * 1024 * 1024;

// UTF-8 without a byte-order mark, the header "Name", CRLF line ends; a field
// is quoted when it holds a comma, a quote, CR or LF, or starts or ends with
// a space or tab (spreadsheets trim those unless quoted), or is empty.
QByteArray write(const QStringList &names);

// The names of the file's first column, in order. Accepts UTF-8 with or
// without a byte-order mark, CRLF, LF or CR line ends and quoted fields.
// A first row whose first field reads "Name" (ignoring case and surrounding
// spaces) is the header; rows whose first field is empty or only spaces are
// skipped. Anything that is not such text (invalid UTF-8, control characters
// such as NUL, an unterminated quote, a stray quote) refuses the whole file:
// false, with the problem in error.
bool parse(const QByteArray &bytes, QStringList *names, QString *error);

// Reads and parses the file, refusing what is not a regular file or larger
// than maxFileSize; the error names the file. No names is an error too.
bool readFile(const QString &filePath, QStringList *names, QString *error);
// Writes the file through FileSaving::write, so a failure leaves any old file
// whole; the error names the file and the system's reason.
bool writeFile(const QString &filePath, const QStringList &names, QString *error);

} // namespace WatchListCsv
