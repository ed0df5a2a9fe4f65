#include "accore.h"
#include "coreregistry.h"

#include <map>

namespace ac {

namespace {

std::map<std::string, std::unique_ptr<ACCore>> &openCores()
{
    static std::map<std::string, std::unique_ptr<ACCore>> cores;
    return cores;
}

} // namespace

ACCore *findOpenCore(const std::string &projectName)
{
    const auto &cores = openCores();
    const auto found = cores.find(projectName);
    return found == cores.end() ? nullptr : found->second.get();
}

ACCore::ACCore(std::string projectName, std::unique_ptr<DeviceMemory> memory)
    : m_projectName(std::move(projectName))
    , m_memory(std::move(memory))
{
    if (!m_memory)
        m_memory = std::make_unique<DeviceMemory>(std::string(), std::vector<JapanMemLayout>());
}

ACCore::~ACCore() = default;

const std::string &ACCore::projectName() const
{
    return m_projectName;
}

DeviceMemory *ACCore::deviceMemory() const
{
    return m_memory.get();
}

void ACCore::open(std::unique_ptr<ACCore> core)
{
    if (!core)
        return;
    const std::string name = core->projectName();
    close(name);
    openCores()[name] = std::move(core);
}

void ACCore::close(const std::string &projectName)
{
    auto &cores = openCores();
    const auto found = cores.find(projectName);
    if (found == cores.end())
        return;
    std::unique_ptr<ACCore> core = std::move(found->second);
    cores.erase(found);
    // A core still held by guards outlives its registration; the last guard deletes it.
    if (core->m_pins > 0) {
        core->m_closing = true;
        core.release();
    }
}

} // namespace ac
