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

    // Between beginBatch() and its endBatch() a store may keep writes in memory and write
    // them to its file together when the outermost batch ends (one sync instead of one
    // per value). What get() answers is the same either way. Use SettingsBatch.
    virtual void beginBatch() { }
    virtual void endBatch() { }
};

// A batch of writes for the lifetime of the scope.
class SettingsBatch
{
public:
    explicit SettingsBatch(SettingsStore& store)
        : m_store(store)
    {
        m_store.beginBatch();
    }
    ~SettingsBatch() { m_store.endBatch(); }
    SettingsBatch(const SettingsBatch&) = delete;
    SettingsBatch& operator=(const SettingsBatch&) = delete;

private:
    SettingsStore& m_store;
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
