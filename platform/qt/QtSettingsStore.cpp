#include "platform/qt/QtSettingsStore.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

#include "platform/qt/QtString.h"
#include "settings/Settings.h"

namespace brindlex {

namespace {

// The stored spelling of `wanted` among `names`, or an empty string.
QString storedSpelling(const QStringList& names, const QString& wanted)
{
    for (const QString& name : names) {
        if (name.compare(wanted, Qt::CaseInsensitive) == 0) {
            return name;
        }
    }
    return {};
}

}  // namespace

QtSettingsStore::QtSettingsStore()
    : QtSettingsStore(defaultFileName())
{
}

QtSettingsStore::QtSettingsStore(const QString& fileName)
    : m_settings(std::make_unique<QSettings>(fileName, QSettings::IniFormat))
{
}

QtSettingsStore::~QtSettingsStore() = default;

QString QtSettingsStore::defaultFileName()
{
    const QByteArray configured = qgetenv("BRINDLEX_CONFIG");
    QString folder;
    if (!configured.isEmpty()) {
        folder = QString::fromLocal8Bit(configured);
    } else {
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/Tarnwell");
    }
    return QDir(folder).filePath(QStringLiteral("Tarnwell.ini"));
}

QString QtSettingsStore::fileName() const
{
    return m_settings->fileName();
}

std::string QtSettingsStore::get(const std::string& section, const std::string& key, const std::string& fallback) const
{
    const QString group = storedSpelling(m_settings->childGroups(), toQString(section));
    if (group.isEmpty()) {
        return fallback;
    }
    m_settings->beginGroup(group);
    const QString name = storedSpelling(m_settings->childKeys(), toQString(key));
    QVariant value;
    if (!name.isEmpty()) {
        value = m_settings->value(name);
    }
    m_settings->endGroup();
    if (!value.isValid()) {
        return fallback;
    }
    // A hand-written value with commas comes back as a list.
    if (value.typeId() == QMetaType::QStringList) {
        return toUtf8(value.toStringList().join(QLatin1Char(',')));
    }
    return toUtf8(value.toString());
}

void QtSettingsStore::set(const std::string& section, const std::string& key, const std::string& value)
{
    const SettingKey* known = findSetting(section, key);
    QString group = storedSpelling(m_settings->childGroups(), toQString(section));
    if (group.isEmpty()) {
        group = known ? QString::fromLatin1(known->section) : toQString(section);
    }
    m_settings->beginGroup(group);
    const QStringList keys = m_settings->childKeys();
    const QString stored = storedSpelling(keys, toQString(key));
    const QString spelling = known ? QString::fromLatin1(known->key) : (stored.isEmpty() ? toQString(key) : stored);
    for (const QString& name : keys) {
        if (name.compare(spelling, Qt::CaseInsensitive) == 0 && name != spelling) {
            m_settings->remove(name);
        }
    }
    m_settings->setValue(spelling, toQString(value));
    m_settings->endGroup();
    syncUnlessBatched();
}

void QtSettingsStore::remove(const std::string& section, const std::string& key)
{
    const QString group = storedSpelling(m_settings->childGroups(), toQString(section));
    if (group.isEmpty()) {
        return;
    }
    m_settings->beginGroup(group);
    for (const QString& name : m_settings->childKeys()) {
        if (name.compare(toQString(key), Qt::CaseInsensitive) == 0) {
            m_settings->remove(name);
        }
    }
    m_settings->endGroup();
    syncUnlessBatched();
}

void QtSettingsStore::beginBatch()
{
    ++m_batches;
}

void QtSettingsStore::endBatch()
{
    if (m_batches > 0 && --m_batches == 0) {
        m_settings->sync();
    }
}

void QtSettingsStore::syncUnlessBatched()
{
    if (m_batches == 0) {
        m_settings->sync();
    }
}

}  // namespace brindlex
