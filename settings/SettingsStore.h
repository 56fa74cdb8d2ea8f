#pragma once
#include <map>
#include <string>

namespace brindlex {

// The per-user settings store: string values addressed by section and key (the
// application is always "Tarnwell"). Keys match without regard to case.
class SettingsStore
{
public:
    virtual ~SettingsStore() = default;
    virtual std::string get(const std::string& section, const std::string& key, const std::string& fallback) const = 0;
    virtual void set(const std::string& section, const std::string& key, const std::string& value) = 0;
    virtual void remove(const std::string& section, const std::string& key) = 0;
};

// Settings kept in memory: bdxtool and tests.
class MemorySettings : public SettingsStore
{
public:
    std::string get(const std::string& section, const std::string& key, const std::string& fallback) const override;
    void set(const std::string& section, const std::string& key, const std::string& value) override;
    void remove(const std::string& section, const std::string& key) override;
    bool contains(const std::string& section, const std::string& key) const;

private:
    static std::string fold(const std::string& section, const std::string& key);
    std::map<std::string, std::string> m_values;  // "section\nkey" in lower case -> value
};

}  // namespace brindlex
