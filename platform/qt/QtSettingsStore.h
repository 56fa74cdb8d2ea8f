#pragma once
#include <memory>

#include "settings/SettingsStore.h"

class QSettings;
class QString;

namespace brindlex {

// The settings store on QSettings in INI form: application "Tarnwell", one group per
// section. Sections and keys match without regard to case; a write uses the spelling of
// the settings table (else the spelling already stored, else the caller's) and drops
// other spellings of the same key. Each write reaches the file at once, or at the end of
// the batch it is made in.
//
// The file is <folder>/Tarnwell.ini where the folder is $BRINDLEX_CONFIG when set, else
// the user's configuration folder ($XDG_CONFIG_HOME or ~/.config) + "/Tarnwell".
class QtSettingsStore : public SettingsStore
{
public:
    QtSettingsStore();
    explicit QtSettingsStore(const QString& fileName);
    ~QtSettingsStore() override;

    std::string get(const std::string& section, const std::string& key, const std::string& fallback) const override;
    void set(const std::string& section, const std::string& key, const std::string& value) override;
    void remove(const std::string& section, const std::string& key) override;
    // Inside a batch writes reach the file when the outermost batch ends.
    void beginBatch() override;
    void endBatch() override;

    // The file the values are kept in.
    QString fileName() const;
    // The file a store made without a name uses, by the rule above.
    static QString defaultFileName();

private:
    void syncUnlessBatched();

    std::unique_ptr<QSettings> m_settings;
    int m_batches = 0;  // open batches
};

}  // namespace brindlex
