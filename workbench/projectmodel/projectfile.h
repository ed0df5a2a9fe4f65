#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class ProjectModel;

// Project files on disk: one JSON document per project.
namespace ProjectFile {

// The largest project file load() reads: 1 GiB.
constexpr qint64 maxFileSize = qint64(1) << 30;

// Reads a project; on failure returns null and sets error to a message naming
// the file and the problem. Nothing is created or changed on failure. What is
// not a regular file (a pipe, a device) and files above maxFileSize are
// refused before anything is read.
std::unique_ptr<ProjectModel> load(const QString &filePath, QString *error);

// The project as save() writes it.
QByteArray serialize(const ProjectModel &project);

// A digest of the content serialize() writes, for telling whether a project
// changed: equal content gives equal fingerprints, and any change to what
// the file would hold changes the fingerprint. It costs a fraction of
// serialize() and keeps nothing of the project's size.
QByteArray fingerprint(const ProjectModel &project);

// Writes the project atomically (FileSaving::write): the file holds either the
// old or the new content, never half of one. A failure names the file and the
// system's reason ("No space left on device", "File too large").
bool save(const ProjectModel &project, const QString &filePath, QString *error);

} // namespace ProjectFile
