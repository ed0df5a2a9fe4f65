#include "accore.h"
#include "coreregistry.h"

SafeAccore::SafeAccore(const std::string &projectName, bool create)
    : m_core(ac::findOpenCore(projectName))
{
    if (!m_core && create) {
        auto core = std::make_unique<ac::ACCore>(projectName, nullptr);
        m_core = core.get();
        ac::ACCore::open(std::move(core));
    }
    if (m_core)
        ++m_core->m_pins;
}

SafeAccore::~SafeAccore()
{
    if (m_core && --m_core->m_pins == 0 && m_core->m_closing)
        delete m_core;
}
