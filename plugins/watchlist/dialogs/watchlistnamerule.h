#pragma once

#include <QString>

// Watch-list names are made of letters and digits of any script and "_".
// An empty name passes: the dialogs refuse it on OK instead.
bool isValidWatchListName(const QString &name);
