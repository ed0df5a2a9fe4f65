#include "projectfile.h"

#include "filesaving.h"
#include "projectmodel.h"
#include "softcomponentmodel.h"
#include "watchlistmodel.h"
#include "watchlistobject.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

#include <cmath>
#include <vector>

namespace {

const QLatin1String formatName("watchlist-workbench-project");
constexpr int formatVersion = 1;

QString tr(const char *text)
{
    return QCoreApplication::translate("ProjectFile", text);
}

// Reads the members of a project document; the first problem found stops it.
class Reader
{
    // Its messages belong with the rest of the project file's.
    Q_DECLARE_TR_FUNCTIONS(ProjectFile)

public:
    QString problem;

    bool fail(const QString &text)
    {
        problem = text;
        return false;
    }

    // Whose members are read, put into words only for a message: a project
    // may hold a million symbols.
    struct Owner
    {
        const char *text = nullptr; // with %1 for the number
        int number = 0;

        QString words() const { return text ? tr(text).arg(number) : QString(); }
    };

    // Absent members stay as they are; present ones must be texts.
    bool readString(const QJsonObject &object, const QString &key, Owner owner, QString *out)
    {
        const QJsonValue value = object.value(key);
        if (value.isUndefined())
            return true;
        if (!value.isString())
            return fail(tr("The member \"%1\"%2 is not a text.").arg(key, owner.words()));
        *out = value.toString();
        return true;
    }

    bool readArray(const QJsonObject &object, const QString &key, Owner owner, QJsonArray *out)
    {
        const QJsonValue value = object.value(key);
        if (value.isUndefined())
            return true;
        if (!value.isArray())
            return fail(tr("The member \"%1\"%2 is not a list.").arg(key, owner.words()));
        *out = value.toArray();
        return true;
    }

    bool readHeader(const QJsonObject &root, QString *name)
    {
        if (root.value(QLatin1String("format")).toString() != formatName) {
            return fail(tr("It is not a watch-list workbench project (the member \"format\" is "
                           "not \"%1\").")
                            .arg(formatName));
        }
        const QJsonValue version = root.value(QLatin1String("version"));
        if (!version.isDouble())
            return fail(tr("The member \"version\" is missing or not a number."));
        const double number = version.toDouble();
        if (std::floor(number) != number) {
            return fail(tr("The version %1 is not a whole number; this workbench reads version %2.")
                            .arg(QString::number(number, 'g', QLocale::FloatingPointShortest))
                            .arg(formatVersion));
        }
        if (number != formatVersion) {
            return fail(tr("Version %1 is not supported; this workbench reads version %2.")
                            .arg(QString::number(number, 'g', QLocale::FloatingPointShortest))
                            .arg(formatVersion));
        }
        if (!readString(root, QStringLiteral("name"), Owner(), name))
            return false;
        if (name->isEmpty())
            return fail(tr("The project has no name."));
        // Project names head node paths, whose separator is ".".
        if (name->contains(QLatin1Char('.')))
            return fail(tr("The project name \"%1\" must not contain \".\".").arg(*name));
        return true;
    }

    bool readSymbols(const QJsonObject &root, ProjectModel *project)
    {
        QJsonArray array;
        if (!readArray(root, QStringLiteral("symbols"), Owner(), &array))
            return false;
        QVector<Symbol> symbols;
        symbols.reserve(array.size());
        for (int i = 0; i < array.size(); ++i) {
            const Owner owner{QT_TRANSLATE_NOOP("ProjectFile", " of symbol %1"), i + 1};
            if (!array.at(i).isObject())
                return fail(tr("Symbol %1 is not an object.").arg(i + 1));
            const QJsonObject object = array.at(i).toObject();
            Symbol symbol;
            QJsonArray references;
            if (!readString(object, QStringLiteral("name"), owner, &symbol.name) ||
                !readString(object, QStringLiteral("dataType"), owner, &symbol.dataType) ||
                !readString(object, QStringLiteral("address"), owner, &symbol.address) ||
                !readString(object, QStringLiteral("comment"), owner, &symbol.comment) ||
                !readArray(object, QStringLiteral("references"), owner, &references)) {
                return false;
            }
            if (symbol.name.isEmpty())
                return fail(tr("Symbol %1 has no name.").arg(i + 1));
            for (int r = 0; r < references.size(); ++r) {
                if (!references.at(r).isString()) {
                    return fail(tr("Reference %1 of symbol \"%2\" is not a text.")
                                    .arg(r + 1)
                                    .arg(symbol.name));
                }
                symbol.references.append(references.at(r).toString());
            }
            symbols.append(symbol);
        }
        project->setSymbols(symbols);
        return true;
    }

    bool readSoftComponents(const QJsonObject &root, ProjectModel *project)
    {
        const QJsonValue value = root.value(QLatin1String("softComponents"));
        if (value.isUndefined())
            return true;
        if (!value.isObject())
            return fail(tr("The member \"softComponents\" is not an object."));
        const QJsonObject comments = value.toObject();
        for (auto it = comments.begin(); it != comments.end(); ++it) {
            if (!it.value().isString())
                return fail(tr("The comment of \"%1\" is not a text.").arg(it.key()));
            project->softComponentModel()->setComment(it.key(), it.value().toString());
        }
        return true;
    }

    bool readController(const QJsonObject &root, ProjectModel *project)
    {
        const QJsonValue value = root.value(QLatin1String("controller"));
        if (value.isUndefined())
            return true;
        if (!value.isObject())
            return fail(tr("The member \"controller\" is not an object."));
        project->setControllerSettings(value.toObject());
        return true;
    }

    bool readWatchLists(const QJsonObject &root, ProjectModel *project)
    {
        QJsonArray array;
        if (!readArray(root, QStringLiteral("watchLists"), Owner(), &array))
            return false;
        std::vector<std::shared_ptr<WatchListObject>> lists;
        lists.reserve(array.size());
        for (int i = 0; i < array.size(); ++i) {
            const Owner owner{QT_TRANSLATE_NOOP("ProjectFile", " of watch list %1"), i + 1};
            if (!array.at(i).isObject())
                return fail(tr("Watch list %1 is not an object.").arg(i + 1));
            const QJsonObject object = array.at(i).toObject();
            QString name;
            QString properties;
            QJsonArray entries;
            if (!readString(object, QStringLiteral("name"), owner, &name) ||
                !readString(object, QStringLiteral("properties"), owner, &properties) ||
                !readArray(object, QStringLiteral("entries"), owner, &entries)) {
                return false;
            }
            if (entries.size() > WatchListObject::MaxCount) {
                return fail(tr("Watch list \"%1\" has %2 entries; a watch list holds at most %3.")
                                .arg(name)
                                .arg(entries.size())
                                .arg(WatchListObject::MaxCount));
            }
            QStringList variables;
            variables.reserve(entries.size());
            for (const QJsonValue &entry : qAsConst(entries)) {
                if (!entry.isString()) {
                    return fail(tr("Entry %1 of watch list \"%2\" is not a text.")
                                    .arg(variables.size() + 1)
                                    .arg(name));
                }
                variables.append(entry.toString());
            }
            auto list = std::make_shared<WatchListObject>(name);
            list->setVariables(variables);
            list->setPropertys(properties);
            lists.push_back(std::move(list));
        }
        // Appended together: one at a time, each would search all before it.
        WatchListModel *model = project->watchListModel();
        const int refused = model->appendWatchLists(lists);
        if (refused >= 0)
            return fail(tr("Watch list %1: %2").arg(refused + 1).arg(model->getLastError()));
        return true;
    }
};

QString problemWith(const QString &filePath, const QString &problem)
{
    return tr("The project file \"%1\" cannot be read: %2")
        .arg(QDir::toNativeSeparators(filePath), problem);
}

} // namespace

namespace ProjectFile {

namespace {

// The file's JSON document, refused (a null document, with the problem) when
// it is no regular file, too large, unreadable, not JSON or not an object.
QJsonDocument readDocument(const QString &filePath, QString *problem)
{
    const auto failed = [&](const QString &text) {
        *problem = text;
        return QJsonDocument();
    };
    // A pipe or a device would be read until it ends, which may be never.
    const QFileInfo info(filePath);
    if (info.exists() && !info.isFile())
        return failed(tr("It is not a regular file."));
    const auto tooLarge = [&](qint64 size) {
        return failed(
            tr("It is %1 bytes long, more than the %2 a project file may have.")
                .arg(size)
                .arg(QLocale::c().formattedDataSize(maxFileSize, 0, QLocale::DataSizeIecFormat)));
    };
    if (info.size() > maxFileSize)
        return tooLarge(info.size());

    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return failed(file.errorString() + QLatin1Char('.'));
    // Measured again on the open file, and read no further: it may have changed meanwhile.
    const qint64 size = file.size();
    if (size > maxFileSize)
        return tooLarge(size);
    // The bytes go before the model is built: together they may take gigabytes.
    const QByteArray bytes = file.read(size);
    if (file.error() != QFileDevice::NoError)
        return failed(file.errorString() + QLatin1Char('.'));
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        if (bytes.trimmed().isEmpty())
            return failed(tr("The file is empty."));
        return failed(tr("It is not valid JSON (%1 at offset %2).")
                          .arg(parseError.errorString())
                          .arg(parseError.offset));
    }
    if (!document.isObject())
        return failed(tr("It does not hold a JSON object."));
    return document;
}

} // namespace

std::unique_ptr<ProjectModel> load(const QString &filePath, QString *error)
{
    const auto failed = [&](const QString &problem) {
        if (error)
            *error = problemWith(filePath, problem);
        return nullptr;
    };
    QString problem;
    const QJsonDocument document = readDocument(filePath, &problem);
    if (document.isNull())
        return failed(problem);
    const QJsonObject root = document.object();
    Reader reader;
    QString name;
    if (!reader.readHeader(root, &name))
        return failed(reader.problem);
    auto project = std::make_unique<ProjectModel>(name.toStdString());
    QString device;
    if (!reader.readString(root, QStringLiteral("device"), Reader::Owner(), &device) ||
        !reader.readSymbols(root, project.get()) ||
        !reader.readSoftComponents(root, project.get()) ||
        !reader.readController(root, project.get()) ||
        !reader.readWatchLists(root, project.get())) {
        return failed(reader.problem);
    }
    project->setDeviceName(device);
    project->setFilePath(QFileInfo(filePath).absoluteFilePath());
    return project;
}

QByteArray serialize(const ProjectModel &project)
{
    QJsonArray symbols;
    for (const Symbol &symbol : project.symbols()) {
        symbols.append(QJsonObject{
            {QStringLiteral("name"), symbol.name},
            {QStringLiteral("dataType"), symbol.dataType},
            {QStringLiteral("address"), symbol.address},
            {QStringLiteral("comment"), symbol.comment},
            {QStringLiteral("references"), QJsonArray::fromStringList(symbol.references)},
        });
    }

    QJsonObject softComponents;
    const QMap<QString, QString> comments = project.softComponentModel()->comments();
    for (auto it = comments.begin(); it != comments.end(); ++it)
        softComponents.insert(it.key(), it.value());

    QJsonArray watchLists;
    const WatchListModel *model = project.watchListModel();
    for (int i = 0; i < model->count(); ++i) {
        const WatchListObject *list = model->getObject(static_cast<unsigned>(i));
        watchLists.append(QJsonObject{
            {QStringLiteral("name"), list->getName()},
            {QStringLiteral("properties"), list->getPropertys()},
            {QStringLiteral("entries"), QJsonArray::fromStringList(list->variables())},
        });
    }

    // QJsonObject writes its members sorted by key, which keeps the files diffable.
    QJsonObject root{
        {QStringLiteral("format"), formatName},
        {QStringLiteral("version"), formatVersion},
        {QStringLiteral("name"), project.projectName()},
        {QStringLiteral("device"), project.deviceName()},
        {QStringLiteral("symbols"), symbols},
        {QStringLiteral("softComponents"), softComponents},
        {QStringLiteral("watchLists"), watchLists},
    };
    if (!project.controllerSettings().isEmpty())
        root.insert(QStringLiteral("controller"), project.controllerSettings());
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

QByteArray fingerprint(const ProjectModel &project)
{
    // Nobody forges these: a fast digest is all it takes.
    QCryptographicHash hash(QCryptographicHash::Md5);
    const auto number = [&hash](qint32 value) {
        hash.addData(reinterpret_cast<const char *>(&value), sizeof value);
    };
    // A text goes by length and UTF-16 units, so a null text and an empty one,
    // which the file cannot tell apart, count alike.
    const auto text = [&](const QString &value) {
        number(value.size());
        hash.addData(reinterpret_cast<const char *>(value.utf16()), value.size() * 2);
    };
    const auto texts = [&](const QStringList &values) {
        number(values.size());
        for (const QString &value : values)
            text(value);
    };

    text(project.projectName());
    text(project.deviceName());
    const QVector<Symbol> symbols = project.symbols();
    number(symbols.size());
    for (const Symbol &symbol : symbols) {
        text(symbol.name);
        text(symbol.dataType);
        text(symbol.address);
        text(symbol.comment);
        texts(symbol.references);
    }
    const QMap<QString, QString> comments = project.softComponentModel()->comments();
    number(comments.size());
    for (auto it = comments.begin(); it != comments.end(); ++it) {
        text(it.key());
        text(it.value());
    }
    const WatchListModel *model = project.watchListModel();
    number(model->count());
    for (int i = 0; i < model->count(); ++i) {
        const WatchListObject *list = model->getObject(static_cast<unsigned>(i));
        text(list->getName());
        text(list->getPropertys());
        texts(list->variables());
    }
    hash.addData(QJsonDocument(project.controllerSettings()).toJson(QJsonDocument::Compact));
    return hash.result();
}

bool save(const ProjectModel &project, const QString &filePath, QString *error)
{
    QString reason;
    if (!FileSaving::write(filePath, serialize(project), &reason)) {
        if (error) {
            *error = tr("The project file \"%1\" cannot be written: %2.")
                         .arg(QDir::toNativeSeparators(filePath), reason);
        }
        return false;
    }
    return true;
}

} // namespace ProjectFile
