#include "submodel.h"

#include "modelobject.h"

SubModel::SubModel(const std::string &name, QObject *parent)
    : QObject(parent)
    , m_name(name)
{}

SubModel::~SubModel() = default;

const std::string &SubModel::name() const
{
    return m_name;
}

int SubModel::indexOfObject(const ModelObject *) const
{
    return -1;
}

std::shared_ptr<ModelObject> SubModel::shareObject(const ModelObject *) const
{
    return nullptr;
}

bool SubModel::insertObject(int, const std::shared_ptr<ModelObject> &)
{
    return false;
}

bool SubModel::takeObject(const ModelObject *)
{
    return false;
}

bool SubModel::renameObject(ModelObject *, const QString &)
{
    return false;
}
