// The one place where UTF-8 std::string meets QString.
#pragma once

#include <QString>
#include <string>

#include "uTranslation.h"

inline QString ToQ(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
inline std::string FromQ(const QString& s) { return s.toUtf8().toStdString(); }
// The translated text of an English caption, as a QString.
inline QString Tr(const std::string& english) { return ToQ(TranslateText(english)); }
