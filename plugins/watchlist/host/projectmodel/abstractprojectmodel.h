#pragma once

#include <QObject>

#include <string>

class SubModel;

// The data model of one open project.
class AbstractProjectModel : public QObject
{
    Q_OBJECT
public:
    explicit AbstractProjectModel(const std::string &name, QObject *parent = nullptr);
    ~AbstractProjectModel() override;

    const std::string &name() const;
    // The sub-model of that name, or null.
    virtual SubModel *subModel(const std::string &name) const = 0;

    // Guards (SafeProjectModel) holding the model; closing waits for them.
    int pinCount() const;
    bool isClosing() const;

private:
    friend class SafeProjectModel;
    friend class ProjectModelManager;

    std::string m_name;
    int m_pins = 0;
    bool m_closing = false;
};
