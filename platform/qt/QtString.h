#pragma once
#include <string>

#include <QString>

namespace brindlex {

// The core keeps text as UTF-8; these are the only conversions to and from Qt's strings.
inline QString toQString(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string toUtf8(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

}  // namespace brindlex
