#include "abstractprojectmodel.h"

AbstractProjectModel::AbstractProjectModel(const std::string &name, QObject *parent)
    : QObject(parent)
    , m_name(name)
{}

AbstractProjectModel::~AbstractProjectModel() = default;

const std::string &AbstractProjectModel::name() const
{
    return m_name;
}

int AbstractProjectModel::pinCount() const
{
    return m_pins;
}

bool AbstractProjectModel::isClosing() const
{
    return m_closing;
}
