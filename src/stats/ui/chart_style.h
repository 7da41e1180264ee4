#pragma once
// The names and colours the statistics charts share, so a series looks the
// same on every chart it appears in.

#include <QColor>
#include <QString>

namespace tw::chart_style {

inline const QString kFound = QStringLiteral("Number Found");
inline const QString kDeleted = QStringLiteral("Number Deleted");
inline const QString kChecked = QStringLiteral("E-mail Check");
inline const QString kNormalMail = QStringLiteral("Normal E-mail");
inline const QString kSpamDeleted = QStringLiteral("Spam Deleted");

inline QColor foundColour() { return QColor(0, 255, 0); }      // lime
inline QColor deletedColour() { return QColor(255, 0, 0); }    // red
inline QColor checkedColour() { return QColor(0, 0, 255); }    // blue
inline QColor normalMailColour() { return QColor(0, 128, 0); } // green

} // namespace tw::chart_style
