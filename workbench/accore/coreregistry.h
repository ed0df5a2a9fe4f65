#pragma once

#include <string>

namespace ac {

class ACCore;

// The open core of that project, or null; for SafeAccore, which pins it.
ACCore *findOpenCore(const std::string &projectName);

} // namespace ac
