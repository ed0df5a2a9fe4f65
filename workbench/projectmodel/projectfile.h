#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class ProjectModel;

// Project files on disk: one JSON document per project.
namespace ProjectFile {

// Reads a project; on failure returns null and sets error to a message naming
// the file and the problem. Nothing is created or changed on failure.
std::unique_ptr<ProjectModel> load(const QString &filePath, QString *error);

// The project as save() writes it.
QByteArray serialize(const ProjectModel &project);

// Writes the project atomically (QSaveFile): the file holds either the old
// or the new content, never half of one.
bool save(const ProjectModel &project, const QString &filePath, QString *error);

} // namespace ProjectFile
