#pragma once

#include "abstractprojectmodel.h"

#include <QPointer>

// Keeps a project model alive for the length of one operation: a project
// closed meanwhile is only deleted when its last guard goes.
class SafeProjectModel
{
public:
    explicit SafeProjectModel(AbstractProjectModel *model);
    ~SafeProjectModel();
    SafeProjectModel(SafeProjectModel &&other) noexcept;
    SafeProjectModel &operator=(SafeProjectModel &&other) noexcept;
    SafeProjectModel(const SafeProjectModel &) = delete;
    SafeProjectModel &operator=(const SafeProjectModel &) = delete;

    AbstractProjectModel *get() const { return m_model.data(); }
    AbstractProjectModel *operator->() const { return m_model.data(); }
    explicit operator bool() const { return !m_model.isNull(); }

private:
    void release();

    QPointer<AbstractProjectModel> m_model;
};
