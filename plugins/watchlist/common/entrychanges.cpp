#include "entrychanges.h"

EntryChanges *EntryChanges::instance()
{
    static EntryChanges changes;
    return &changes;
}
