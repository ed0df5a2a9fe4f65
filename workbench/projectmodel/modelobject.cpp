#include "modelobject.h"

ModelObject::~ModelObject() = default;
