#pragma once

#include <QString>

// An object held by a sub-model of a project's data model.
class ModelObject
{
public:
    virtual ~ModelObject();
    virtual QString getName() const = 0;
};
