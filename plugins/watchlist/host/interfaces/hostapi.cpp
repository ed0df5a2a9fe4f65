#include "iapplication.h"
#include "icomparatorman.h"
#include "icookies.h"
#include "icrossreference.h"
#include "imanager.h"
#include "iobject.h"
#include "itoolwindowmanager.h"
#include "objectregistry.h"
#include "transfer.h"

// The host's interface classes: their vtables and meta-objects have one home,
// a library of the host's own, so that a plug-in needs nothing of the host's
// application to cast to them.

IObject::IObject(QObject *parent)
    : QObject(parent)
{}

IObject::~IObject() = default;

IManager::IManager(QObject *parent)
    : QObject(parent)
{}

IManager::~IManager() = default;

IApplication::IApplication(QObject *parent)
    : IObject(parent)
{}

IApplication::~IApplication() = default;

ObjectRegistry::~ObjectRegistry() = default;

ICookies::ICookies(QObject *parent)
    : QObject(parent)
{}

ICookies::~ICookies() = default;

IToolWindowManager::IToolWindowManager(QObject *parent)
    : IManager(parent)
{}

IToolWindowManager::~IToolWindowManager() = default;

Transfer::Transfer(QObject *parent)
    : QObject(parent)
{}

Transfer::~Transfer() = default;

ICrossReference::ICrossReference(QObject *parent)
    : QObject(parent)
{}

ICrossReference::~ICrossReference() = default;

IComparatorMan::IComparatorMan(QObject *parent)
    : QObject(parent)
{}

IComparatorMan::~IComparatorMan() = default;
