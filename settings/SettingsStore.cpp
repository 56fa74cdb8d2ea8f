#include "settings/SettingsStore.h"

#include "store/Text.h"

namespace brindlex {

std::string MemorySettings::fold(const std::string& section, const std::string& key)
{
    return lowerAscii(section + "\n" + key);
}

std::string MemorySettings::get(const std::string& section, const std::string& key, const std::string& fallback) const
{
    const auto it = m_values.find(fold(section, key));
    return it == m_values.end() ? fallback : it->second;
}

void MemorySettings::set(const std::string& section, const std::string& key, const std::string& value)
{
    m_values[fold(section, key)] = value;
}

void MemorySettings::remove(const std::string& section, const std::string& key)
{
    m_values.erase(fold(section, key));
}

bool MemorySettings::contains(const std::string& section, const std::string& key) const
{
    return m_values.count(fold(section, key)) != 0;
}

}  // namespace brindlex
