#include "watchlistcsv.h"

#include "filesaving.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTextCodec>

namespace WatchListCsv {

namespace {

struct Text
{
    Q_DECLARE_TR_FUNCTIONS(WatchListCsv)
};

const QChar quote = QLatin1Char('"');
const QChar comma = QLatin1Char(',');
const QChar cr = QLatin1Char('\r');
const QChar lf = QLatin1Char('\n');

bool needsQuotes(const QString &name)
{
    if (name.isEmpty() || name.front().isSpace() || name.back().isSpace())
        return true;
    for (const QChar c : name) {
        if (c == comma || c == quote || c == cr || c == lf)
            return true;
    }
    return false;
}

// Every control character but tab and line ends; NUL is the usual sign of a
// binary or UTF-16 file.
int controlCharacter(const QString &text)
{
    for (int i = 0; i < text.size(); ++i) {
        const ushort c = text.at(i).unicode();
        if ((c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7f)
            return i;
    }
    return -1;
}

class Parser
{
public:
    explicit Parser(const QString &text)
        : m_text(text)
    {}

    bool run(QStringList *names, QString *error)
    {
        bool firstRow = true;
        while (m_at < m_text.size()) {
            QString first;
            if (!readRecord(&first)) {
                *error = m_problem;
                return false;
            }
            if (first.trimmed().isEmpty())
                continue;
            if (firstRow &&
                first.trimmed().compare(QLatin1String("Name"), Qt::CaseInsensitive) == 0) {
                firstRow = false;
                continue;
            }
            firstRow = false;
            names->append(first);
        }
        return true;
    }

private:
    bool fail(const QString &problem)
    {
        m_problem = problem;
        return false;
    }

    bool atFieldEnd() const
    {
        if (m_at >= m_text.size())
            return true;
        const QChar c = m_text.at(m_at);
        return c == comma || c == cr || c == lf;
    }

    // One row up to and including its line end; keeps its first field.
    bool readRecord(QString *first)
    {
        for (int field = 0;; ++field) {
            QString value;
            if (!readField(&value))
                return false;
            if (field == 0)
                *first = value;
            if (m_at < m_text.size() && m_text.at(m_at) == comma) {
                ++m_at;
                continue;
            }
            break;
        }
        if (m_at < m_text.size() && m_text.at(m_at) == cr)
            ++m_at;
        if (m_at < m_text.size() && m_text.at(m_at) == lf)
            ++m_at;
        ++m_line;
        return true;
    }

    bool readField(QString *value)
    {
        if (m_at >= m_text.size() || m_text.at(m_at) != quote) {
            const int start = m_at;
            for (; !atFieldEnd(); ++m_at) {
                if (m_text.at(m_at) == quote) {
                    return fail(Text::tr("Line %1 has a quote inside a field that does not "
                                         "start with one.")
                                    .arg(m_line));
                }
            }
            *value = m_text.mid(start, m_at - start);
            return true;
        }
        const int opened = m_line;
        ++m_at;
        for (;;) {
            if (m_at >= m_text.size())
                return fail(Text::tr("The quote opened on line %1 is never closed.").arg(opened));
            const QChar c = m_text.at(m_at++);
            if (c == quote) {
                if (m_at < m_text.size() && m_text.at(m_at) == quote) {
                    value->append(quote);
                    ++m_at;
                    continue;
                }
                break;
            }
            if (c == lf)
                ++m_line;
            value->append(c);
        }
        if (!atFieldEnd())
            return fail(Text::tr("Line %1 has text after a closing quote.").arg(m_line));
        return true;
    }

    const QString &m_text;
    int m_at = 0;
    int m_line = 1;
    QString m_problem;
};

QString problemWith(const QString &filePath, const QString &problem)
{
    return Text::tr("The file \"%1\" cannot be imported: %2")
        .arg(QDir::toNativeSeparators(filePath), problem);
}

} // namespace

QByteArray write(const QStringList &names)
{
    QString text = QStringLiteral("Name\r\n");
    for (const QString &name : names) {
        if (needsQuotes(name)) {
            QString escaped = name;
            escaped.replace(quote, QStringLiteral("\"\""));
            text += quote + escaped + quote;
        } else {
            text += name;
        }
        text += QLatin1String("\r\n");
    }
    return text.toUtf8();
}

bool parse(const QByteArray &bytes, QStringList *names, QString *error)
{
    QByteArray data = bytes;
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);
    // Kept as a character, not dropped: a second byte-order mark is no header.
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    const QString text =
        QTextCodec::codecForMib(106)->toUnicode(data.constData(), data.size(), &state);
    if (state.invalidChars > 0 || state.remainingChars > 0) {
        *error = Text::tr("It is not UTF-8 text.");
        return false;
    }
    if (const int at = controlCharacter(text); at >= 0) {
        *error = Text::tr("It holds control characters (line %1): it is not CSV text.")
                     .arg(text.leftRef(at).count(lf) + 1);
        return false;
    }
    QStringList found;
    if (!Parser(text).run(&found, error))
        return false;
    *names = found;
    return true;
}

bool readFile(const QString &filePath, QStringList *names, QString *error)
{
    const auto failed = [&](const QString &problem) {
        *error = problemWith(filePath, problem);
        return false;
    };
    const QString limit =
        QLocale::c().formattedDataSize(maxFileSize, 0, QLocale::DataSizeIecFormat);
    // A pipe or a device would be read until it ends, which may be never.
    const QFileInfo info(filePath);
    if (info.exists() && !info.isFile())
        return failed(Text::tr("It is not a regular file."));
    if (info.size() > maxFileSize)
        return failed(Text::tr("It is larger than %1, the most an import reads.").arg(limit));
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return failed(file.errorString() + QLatin1Char('.'));
    // Read no further than the limit: the file may have grown meanwhile.
    const QByteArray bytes = file.read(maxFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        return failed(file.errorString() + QLatin1Char('.'));
    if (bytes.size() > maxFileSize)
        return failed(Text::tr("It is larger than %1, the most an import reads.").arg(limit));
    QString problem;
    QStringList found;
    if (!parse(bytes, &found, &problem))
        return failed(problem);
    if (found.isEmpty())
        return failed(Text::tr("It holds no names."));
    *names = found;
    return true;
}

bool writeFile(const QString &filePath, const QStringList &names, QString *error)
{
    QString reason;
    if (!FileSaving::write(filePath, write(names), &reason)) {
        *error = Text::tr("The file \"%1\" cannot be written: %2.")
                     .arg(QDir::toNativeSeparators(filePath), reason);
        return false;
    }
    return true;
}

} // namespace WatchListCsv
