#include "iapplication.h"
#include "icomparator.h"
#include "icomparatorman.h"
#include "icookies.h"
#include "icrossreference.h"
#include "imanager.h"
#include "iobject.h"
#include "itoolwindowmanager.h"
#include "objectregistry.h"
#include "transfer.h"

// The interfaces' out-of-line members live here so that their vtables and
// meta-objects have one home, shared by the workbench and its plug-ins.

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

IComparator::~IComparator() = default;
