#include "safeprojectmodel.h"

#include "abstractprojectmodel.h"
#include "projectmodelmanager.h"

SafeProjectModel::SafeProjectModel(AbstractProjectModel *model)
    : m_model(model)
{
    if (model)
        ++model->m_pins;
}

SafeProjectModel::~SafeProjectModel()
{
    release();
}

SafeProjectModel::SafeProjectModel(SafeProjectModel &&other) noexcept
    : m_model(other.m_model)
{
    other.m_model.clear();
}

SafeProjectModel &SafeProjectModel::operator=(SafeProjectModel &&other) noexcept
{
    if (this != &other) {
        release();
        m_model = other.m_model;
        other.m_model.clear();
    }
    return *this;
}

void SafeProjectModel::release()
{
    AbstractProjectModel *model = m_model.data();
    m_model.clear();
    if (!model)
        return;
    if (--model->m_pins == 0 && model->m_closing)
        ProjectModelManager::instance()->release(model);
}
